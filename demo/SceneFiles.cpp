#include "demo/SceneFiles.h"

#include "geometry/Mesh.h"
#include "platform/Texture.h"

namespace {

SceneResult Checked(Scene& scene, EngineResult code, const DataFile& file) {
    if (code >= 0) {
        return sceneOk;
    }
    scene.Release();
    return {DescribeEngineError(code), file.caption};
}

} // namespace

SceneResult LoadMesh(Scene& scene, Mesh& mesh, const DataFile& file, float scale) {
    return Checked(scene, mesh.Load(file.path, scale), file);
}

SceneResult LoadHeightmap(Scene& scene, Mesh& mesh, const DataFile& file, float divisor, int width,
                          int depth) {
    return Checked(scene, mesh.LoadHeightmap(file.path, divisor, width, depth), file);
}

SceneResult LoadTexture(Scene& scene, Texture& texture, const DataFile& file, UINT width,
                        UINT height) {
    return Checked(scene, texture.Load(file.path, width, height), file);
}
