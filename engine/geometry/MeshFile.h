#pragma once
// The ".msh" mesh file format, read by Mesh::Load and written by the content generator.
//
// Little-endian, packed, no version, no trailer:
//   offset 0        3 bytes   magic "EMV" (no terminator)
//   offset 3        int32     V, number of vertices
//   offset 7        12 * V    V records of float32 x, y, z, in the model's own units
//   offset 7 + 12V  int32     F, number of triangles
//   offset 11 + 12V 12 * F    F records of int32 i0, i1, i2 (0-based vertex indices)
// Bytes after 11 + 12V + 12F are never read. Triangles run clockwise as seen from outside
// the object; otherwise back-face culling removes them and their normals point inwards.

#include "geometry/Mesh.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mesh_file {
inline constexpr char magic[3] = {'E', 'M', 'V'};
inline constexpr std::size_t magicBytes = 3;
inline constexpr std::size_t countBytes = 4;
inline constexpr std::size_t vertexBytes = 12;
inline constexpr std::size_t faceBytes = 12;

// Length of a complete file with v vertices and f triangles.
constexpr std::uint64_t FileBytes(std::uint64_t v, std::uint64_t f) {
    return magicBytes + 2 * countBytes + vertexBytes * v + faceBytes * f;
}
} // namespace mesh_file

// The complete file for the given vertices and triangles (indices are written as given).
std::vector<std::uint8_t> EncodeMeshFile(std::span<const D3DVECTOR> positions,
                                         std::span<const MeshFace> faces);
// Writes `positions` and `faces` of the mesh (the rest copy and texture coordinates are not
// part of the format).
std::vector<std::uint8_t> EncodeMeshFile(const Mesh& mesh);

// Writes the encoded file to a host path ("Data/Bol.msh"), replacing any file there.
// Returns false when the file cannot be created or written completely.
bool WriteMeshFile(const char* path, std::span<const D3DVECTOR> positions,
                   std::span<const MeshFace> faces);
bool WriteMeshFile(const char* path, const Mesh& mesh);
