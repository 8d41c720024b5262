// Render per second of the two renderers on the show's own loads: the ball mesh of Schtar and
// Stekelz (Data/Bol.msh, at their scale) and a cloud the size of ZwartEnWit's (1,500
// particles). "Processor" runs Render on a device that does nothing, which leaves the
// per-vertex work (normals, building vertices and indices) and the state calls; "GLDevice"
// runs it on the real OpenGL device (headless when there is no display). "Time" is wall
// clock; "CPU" is the processor time of the whole process, all threads, since the OpenGL
// driver rasterises on threads of its own. Needs the Data folder (build/Data).

#include "effects/BillboardRenderer.h"
#include "effects/MeshRenderer.h"
#include "geometry/Mesh.h"
#include "platform/Camera.h"
#include "platform/FullscreenApplication.h"
#include "platform/Material.h"
#include "platform/d3d8/ReadBack.h"

#include "NullApplication.h"
#include "demo/DataFolder.h"
#include "demo/ZwartEnWit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>

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

// Points on a ball of radius 1.5 along a spiral from pole to pole: a cloud of particles.
void FillCloud(Mesh& mesh, int pointCount) {
    mesh.Release();
    mesh.vertexCount = pointCount;
    mesh.positions = new D3DVECTOR[static_cast<std::size_t>(pointCount)];
    const int turns = 32;
    for (int i = 0; i < pointCount; ++i) {
        const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(pointCount);
        const float polar = std::acos(1.0f - 2.0f * t);
        const float around = 6.2831853f * static_cast<float>(turns) * t;
        mesh.positions[i] = {1.5f * std::sin(polar) * std::cos(around), 1.5f * std::cos(polar),
                             1.5f * std::sin(polar) * std::sin(around)};
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
    if (!EnterDataFolder().Found() || mesh.Load("Data\\Bol.msh", 0.0055f) != 0) {
        state.SkipWithError("no Data/Bol.msh (build the content first)");
        return;
    }
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
    FillCloud(cloud, ZwartEnWit::cloudPoints);
    Camera camera;
    BillboardRenderer renderer(*application);
    renderer.SetMesh(&cloud);
    renderer.SetCamera(&camera);
    // The white cloud's particle size.
    renderer.SetSize(0.021f);
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

BENCHMARK_CAPTURE(MeshRender, ProcessorShowBall, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(MeshRender, GLDeviceShowBall, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BillboardRender, ProcessorShowCloud, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BillboardRender, GLDeviceShowCloud, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
