#pragma once
// The engine's only geometry container: a CPU-side triangle list.
//
// Coordinates are left-handed (x right, y up, z into the screen); a triangle faces the viewer
// when its vertices run clockwise as seen by that viewer. Every index in `faces` is below
// `vertexCount`.
//
// The fields are open: scenes read `restPositions` and rewrite `positions` in place, and a
// scene may fill an empty mesh itself by setting the counts and handing it arrays allocated
// with `new[]` (positions: `new D3DVECTOR[n]`, faces: `new MeshFace[n]`). From then on the
// mesh owns them; `Release` frees them with `delete[]`.

#include "platform/EngineResult.h"
#include "platform/d3d8/D3D8.h"

#include <cstdint>

// Indices of one triangle's vertices, 0-based.
struct MeshFace {
    std::int32_t i0, i1, i2;
};

struct MeshTexCoord {
    float u, v;
};

namespace engine_code {
inline constexpr EngineResult heightmapOpenFailed = -40;
inline constexpr EngineResult heightmapBadSize = -41;
inline constexpr EngineResult heightmapReadFailed = -42;
} // namespace engine_code

class Mesh {
  public:
    Mesh() = default;
    ~Mesh();
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    // Frees every array and empties the mesh. Safe to call any number of times.
    void Release();

    // Reads a ".msh" file (Windows-style path), multiplying every coordinate by `scale`.
    // Returns 0, -25 (cannot open), -26 (short read, negative count, a count the rest of the
    // file cannot hold, or a face index outside 0 .. vertexCount - 1) or -27 (no "EMV" magic).
    // On failure the mesh is empty. On success `restPositions` holds a copy of `positions`
    // and there are no texture coordinates.
    EngineResult Load(const char* path, float scale);

    // Builds a terrain grid from `width` x `depth` signed 8-bit samples, row by row: one
    // vertex per sample at x = c - width/2, y = 1 - sample/divisor, z = r - depth/2, spaced
    // one unit apart, two clockwise-from-above triangles per cell, texture coordinates
    // alternating 0 / 0.18 between grid lines, and a rest copy. Bytes after width x depth
    // are ignored. Returns 0, -41 (width or depth outside 2 .. 255, checked before opening),
    // -40 (cannot open) or -42 (fewer than width x depth bytes). On failure the mesh is empty.
    EngineResult LoadHeightmap(const char* path, float divisor, int width, int depth);

    // Rebuilds the mesh as a width x height rectangle in the plane z = 0, centred on the
    // origin, facing -z, with texture coordinates (upright, unmirrored from -z) and no rest
    // copy.
    void MakeQuad(float width, float height);

    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    D3DVECTOR* positions = nullptr;     // vertexCount entries, as drawn
    D3DVECTOR* restPositions = nullptr; // vertexCount entries, or none
    MeshFace* faces = nullptr;          // faceCount entries
    bool hasTexCoords = false;
    MeshTexCoord* texCoords = nullptr; // vertexCount entries while hasTexCoords
};
