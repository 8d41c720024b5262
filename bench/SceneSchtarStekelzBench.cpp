// Processor time per frame of the Schtar and Stekelz scenes: the deformation of the ball and
// the renderers' work (normals, vertex and index building, state calls) on a device that
// accepts everything and draws nothing. Needs the show's Data folder (build/Data from the
// content generator); the frame timer advances 16 ms per frame on a clock of its own.

#include "NullApplication.h"
#include "demo/DataFolder.h"
#include "demo/Schtar.h"
#include "demo/Stekelz.h"
#include "platform/Application.h"
#include "platform/Timer.h"
#include "platform/win32/Windows.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

DWORD now = 0;
DWORD Now() {
    return now;
}

// Renders `scene` once per iteration, the demo clock stepping 16 ms a frame from `firstMs`
// and back after `spanMs`; the music time follows the clock from `firstSeconds`.
template <class SceneClass>
void RenderFrames(benchmark::State& state, DWORD firstMs, DWORD spanMs, float firstSeconds) {
    if (!EnterDataFolder().Found()) {
        state.SkipWithError("no Data folder (build the content first)");
        return;
    }
    SetTimeSourceForTesting(&Now);
    now = 0;
    bench::NullApplication application;
    Timer demoClock;
    {
        SceneClass scene;
        if (scene.Init(&application).Failed()) {
            state.SkipWithError("Init failed");
            SetTimeSourceForTesting(nullptr);
            return;
        }
        // The scene's first frame starts its own clock with the demo's.
        scene.Render(&demoClock, firstSeconds);
        DWORD step = 0;
        for (auto _ : state) {
            now = firstMs + step;
            step = (step + 16) % spanMs;
            const float seconds = firstSeconds + static_cast<float>(step) * 0.001f;
            if (scene.Render(&demoClock, seconds).Failed()) {
                state.SkipWithError("Render failed");
                break;
            }
        }
    }
    SetTimeSourceForTesting(nullptr);
}

void SchtarFirstShowing(benchmark::State& state) {
    RenderFrames<Schtar>(state, 0, 13000, 0.0f);
}
void SchtarSecondShowing(benchmark::State& state) {
    RenderFrames<Schtar>(state, 52000, 14500, 52.0f);
}
void StekelzFog(benchmark::State& state) {
    RenderFrames<Stekelz>(state, 13000, 13000, 13.0f);
}
void StekelzBanners(benchmark::State& state) {
    RenderFrames<Stekelz>(state, 26000, 26000, 26.0f);
}

BENCHMARK(SchtarFirstShowing)->Unit(benchmark::kMicrosecond);
BENCHMARK(SchtarSecondShowing)->Unit(benchmark::kMicrosecond);
BENCHMARK(StekelzFog)->Unit(benchmark::kMicrosecond);
BENCHMARK(StekelzBanners)->Unit(benchmark::kMicrosecond);

} // namespace
