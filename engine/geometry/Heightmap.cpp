#include "geometry/FileReader.h"
#include "geometry/Mesh.h"

#include <algorithm>
#include <vector>

EngineResult Mesh::LoadHeightmap(const char* path, float divisor, int width, int depth) {
    Release();
    // Below 2 there would be no cells (and negative counts); above 255 is refused as given.
    if (width < 2 || depth < 2 || width > 255 || depth > 255)
        return engine_code::heightmapBadSize;

    FileReader reader;
    if (reader.Open(path) != 0)
        return engine_code::heightmapOpenFailed;
    std::vector<std::int8_t> samples(static_cast<std::size_t>(width * depth));
    if (reader.Read(samples.data(), static_cast<std::uint32_t>(samples.size())) != 0)
        return engine_code::heightmapReadFailed;
    reader.Close();

    vertexCount = width * depth;
    faceCount = 2 * (width - 1) * (depth - 1);
    positions = new D3DVECTOR[vertexCount];
    faces = new MeshFace[faceCount];
    texCoords = new MeshTexCoord[vertexCount];
    hasTexCoords = true;

    // One unit between samples, centred on the origin; a larger sample lies lower. Texture
    // coordinates alternate between 0 and 0.18 from one grid line to the next.
    const float halfWidth = static_cast<float>(width) * 0.5f;
    const float halfDepth = static_cast<float>(depth) * 0.5f;
    for (int r = 0; r < depth; ++r) {
        for (int c = 0; c < width; ++c) {
            const int v = r * width + c;
            const float sample = samples[static_cast<std::size_t>(v)];
            positions[v] = D3DVECTOR{static_cast<float>(c) - halfWidth, 1.0f - sample / divisor,
                                     static_cast<float>(r) - halfDepth};
            texCoords[v] = MeshTexCoord{c % 2 ? 0.18f : 0.0f, r % 2 ? 0.18f : 0.0f};
        }
    }

    // Two triangles per cell, both clockwise seen from above (+y).
    int f = 0;
    for (int r = 0; r < depth - 1; ++r) {
        for (int c = 0; c < width - 1; ++c) {
            const int v = r * width + c;
            faces[f++] = MeshFace{v, v + width, v + 1};
            faces[f++] = MeshFace{v + width + 1, v + 1, v + width};
        }
    }

    restPositions = new D3DVECTOR[vertexCount];
    std::copy(positions, positions + vertexCount, restPositions);
    return engine_code::ok;
}
