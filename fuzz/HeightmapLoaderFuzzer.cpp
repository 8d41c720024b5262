// Input: byte 0 and byte 1 are the width and depth (0 .. 255), bit 0 and bit 1 of byte 2 add
// 256 to them so oversized grids are tried too; the rest is the raw height file.

#include "FuzzInputFile.h"
#include "geometry/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    const int width = data[0] + ((data[2] & 1) ? 256 : 0);
    const int depth = data[1] + ((data[2] & 2) ? 256 : 0);
    const char* path = WriteFuzzInput(data + 3, size - 3);

    Mesh mesh;
    const EngineResult result = mesh.LoadHeightmap(path, 3.85f, width, depth);
    const bool sizeOk = width >= 2 && depth >= 2 && width <= 255 && depth <= 255;
    const bool enoughBytes = size - 3 >= static_cast<std::size_t>(width) * depth;
    if (result != 0) {
        const EngineResult expected = !sizeOk ? -41 : -42;
        if (result != expected || mesh.vertexCount != 0 || mesh.positions || mesh.faces ||
            mesh.texCoords || mesh.restPositions)
            __builtin_trap();
        return 0;
    }
    if (!sizeOk || !enoughBytes || mesh.vertexCount != width * depth ||
        mesh.faceCount != 2 * (width - 1) * (depth - 1) || !mesh.hasTexCoords)
        __builtin_trap();
    for (std::int32_t f = 0; f < mesh.faceCount; ++f) {
        for (std::int32_t index : {mesh.faces[f].i0, mesh.faces[f].i1, mesh.faces[f].i2}) {
            if (index < 0 || index >= mesh.vertexCount)
                __builtin_trap();
        }
    }
    for (std::int32_t v = 0; v < mesh.vertexCount; ++v) {
        const float expectedY = 1.0f - static_cast<std::int8_t>(data[3 + v]) / 3.85f;
        if (mesh.positions[v].y != expectedY || mesh.restPositions[v].y != expectedY ||
            mesh.texCoords[v].u < 0.0f)
            __builtin_trap();
    }
    return 0;
}
