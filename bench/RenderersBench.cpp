// Render per second of the two renderers at their limits: a 65,536-vertex mesh (65,536
// triangles) and a 16,384-particle cloud. "Processor" runs Render on a device that does
// nothing, which leaves the per-vertex work (normals, building vertices and indices) and the
// state calls; "GLDevice" runs it on the real OpenGL device (headless when there is no
// display), so its time minus the processor time is the device's work. Times are wall-clock:
// the OpenGL driver rasterises on threads of its own.

#include "effects/BillboardRenderer.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "platform/Camera.h"
#include "platform/FullscreenApplication.h"
#include "platform/Material.h"
#include "platform/d3d8/ReadBack.h"

#include "NullApplication.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<Application> MakeApplication(bool gl) {
    if (!gl) {
        return std::make_unique<bench::NullApplication>();
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    auto application = std::make_unique<FullscreenApplication>(0);
    if (application->Create(640, 480) != 0) {
        return nullptr;
    }
    return application;
}

// 65,536 vertices on a ball of radius 1.5 along a spiral from pole to pole, and 65,536
// triangles between neighbours on it, so every vertex is shared by about three faces.
void FillBall(Mesh& mesh, int vertexCount, int faceCount) {
    mesh.Release();
    mesh.vertexCount = vertexCount;
    mesh.faceCount = faceCount;
    mesh.positions = new D3DVECTOR[static_cast<std::size_t>(vertexCount)];
    mesh.faces = new MeshFace[static_cast<std::size_t>(faceCount)];
    const int turns = 128;
    for (int i = 0; i < vertexCount; ++i) {
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(vertexCount);
        const float polar = std::acos(1.0f - 2.0f * t);
        const float around = 6.2831853f * static_cast<float>(turns) * t;
        mesh.positions[i] = {1.5f * std::sin(polar) * std::cos(around), 1.5f * std::cos(polar),
                             1.5f * std::sin(polar) * std::sin(around)};
    }
    const int perTurn = vertexCount / turns;
    for (int f = 0; f < faceCount; ++f) {
        const int a = f % (vertexCount - perTurn - 1);
        mesh.faces[f] = (f % 2 == 0) ? MeshFace{a, a + perTurn, a + 1}
                                     : MeshFace{a + 1, a + perTurn, a + perTurn + 1};
    }
}

// Waits for the device to finish what it was given, every few renders, so queued work is
// counted.
void Drain(Application& application, std::int64_t iteration, ReadBackImage& image) {
    if (iteration % 16 == 15) {
        ReadBack(application.GetDevice(), ReadBackSource::Current, image);
    }
}

void MeshRender(benchmark::State& state, bool gl) {
    const std::unique_ptr<Application> application = MakeApplication(gl);
    if (application == nullptr) {
        state.SkipWithError("no OpenGL device");
        return;
    }
    Mesh mesh;
    FillBall(mesh, 65536, 65536);
    Camera camera;
    MeshRenderer renderer(*application);
    renderer.SetMesh(&mesh);
    renderer.SetCamera(&camera);
    renderer.EnableLighting();
    Material material;
    renderer.SetMaterial(&material);
    ReadBackImage image;
    std::int64_t iteration = 0;
    for (auto _ : state) {
        renderer.SetRotationY(static_cast<float>(iteration) * 0.01f);
        if (renderer.Render() != 0) {
            state.SkipWithError("Render failed");
            return;
        }
        Drain(*application, iteration++, image);
    }
    state.counters["renders_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BillboardRender(benchmark::State& state, bool gl) {
    const std::unique_ptr<Application> application = MakeApplication(gl);
    if (application == nullptr) {
        state.SkipWithError("no OpenGL device");
        return;
    }
    Mesh cloud;
    FillBall(cloud, 16384, 0);
    Camera camera;
    BillboardRenderer renderer(*application);
    renderer.SetMesh(&cloud);
    renderer.SetCamera(&camera);
    // Squares of about 10 pixels, so the blending fill does not swamp the vertex work.
    renderer.SetSize(0.03f);
    ReadBackImage image;
    std::int64_t iteration = 0;
    for (auto _ : state) {
        renderer.SetRotationY(static_cast<float>(iteration) * 0.01f);
        if (renderer.Render() != 0) {
            state.SkipWithError("Render failed");
            return;
        }
        Drain(*application, iteration++, image);
    }
    state.counters["renders_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_CAPTURE(MeshRender, Processor65536Vertices, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(MeshRender, GLDevice65536Vertices, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BillboardRender, Processor16384Particles, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BillboardRender, GLDevice16384Particles, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
