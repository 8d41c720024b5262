// Any byte string as a ".msh" file: the loader either refuses it with its code and an empty
// mesh, or gives a mesh whose every face index lies inside the vertex arrays.

#include "FuzzInputFile.h"
#include "geometry/Mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    Mesh mesh;
    const EngineResult result = mesh.Load(path, 0.5f);
    if (result != 0) {
        if ((result != -26 && result != -27) || mesh.vertexCount != 0 || mesh.faceCount != 0 ||
            mesh.positions || mesh.restPositions || mesh.faces || mesh.hasTexCoords)
            __builtin_trap();
        return 0;
    }
    if (mesh.vertexCount < 0 || mesh.faceCount < 0 || mesh.hasTexCoords ||
        (mesh.vertexCount > 0 && (!mesh.positions || !mesh.restPositions)) ||
        (mesh.faceCount > 0 && !mesh.faces))
        __builtin_trap();
    for (std::int32_t f = 0; f < mesh.faceCount; ++f) {
        for (std::int32_t index : {mesh.faces[f].i0, mesh.faces[f].i1, mesh.faces[f].i2}) {
            if (index < 0 || index >= mesh.vertexCount)
                __builtin_trap();
        }
    }
    for (std::int32_t v = 0; v < mesh.vertexCount; ++v) {
        // The rest copy equals the positions (NaN aside); reading both lets ASan see overruns.
        if (mesh.positions[v].x != mesh.restPositions[v].x &&
            mesh.positions[v].x == mesh.positions[v].x)
            __builtin_trap();
    }
    return 0;
}
