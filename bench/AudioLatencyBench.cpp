// Latency accounting of the music position: how far the reported position is from the sample
// the device is outputting at that moment, taken as the sample at which real time since the
// start of playback stands (the device consumes exactly its frame rate). Uses the default
// audio driver, or SDL's dummy driver when none can be opened.
#include "sound/SoundStream.h"
#include "sound/SoundSystem.h"
#include "sound/audio/AudioLibrary.h"
#include "support/Mp3Fixture.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double byteRate = 176400.0;

struct Playing {
    TempFolder folder;
    SoundSystem system;
    SoundStream stream;
    bool ok = false;

    explicit Playing(double seconds) {
        WriteBytes(
            folder.File("tone.mp3"),
            MakeToneMp3({44100, 2, static_cast<std::uint64_t>(seconds * 44100), false, false}));
        if (system.Init(44100, nullptr) != 0) {
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            if (system.Init(44100, nullptr) != 0) {
                return;
            }
        }
        ok = stream.CreateFromFile(false, folder.File("tone.mp3").c_str(), 0, 0) == 0;
    }
    ~Playing() { stream.Free(); }
};

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void BM_PositionLatency(benchmark::State& state) {
    for (auto _ : state) {
        Playing p(6.0);
        if (!p.ok) {
            state.SkipWithError("no audio output");
            return;
        }
        const Clock::time_point start = Clock::now();
        p.stream.Play(false);
        std::vector<double> offsets; // reported minus real time since play, in ms
        double maxStep = 0;
        double previous = 0;
        double previousTime = 0;
        while (Clock::now() - start < std::chrono::seconds(4)) {
            const DWORD position = p.system.GetChannelPosition(p.stream.GetHandle());
            const double reported = position / byteRate * 1000.0;
            const double now = Milliseconds(Clock::now() - start);
            if (!offsets.empty()) {
                // How much more (or less) the position moved than real time between two reads.
                maxStep = std::max(maxStep, std::abs((reported - previous) - (now - previousTime)));
            }
            previous = reported;
            previousTime = now;
            offsets.push_back(reported - now);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        // The first 100 ms hold the start-up (the device's first buffer); the rest is steady.
        const std::size_t skip = offsets.size() / 40;
        std::vector<double> steady(offsets.begin() + static_cast<std::ptrdiff_t>(skip),
                                   offsets.end());
        double sum = 0;
        for (double o : steady) {
            sum += o;
        }
        const double mean = sum / static_cast<double>(steady.size());
        double spread = 0;
        for (double o : steady) {
            spread += (o - mean) * (o - mean);
        }
        std::sort(steady.begin(), steady.end());
        state.counters["offset_mean_ms"] = mean;
        state.counters["offset_min_ms"] = steady.front();
        state.counters["offset_max_ms"] = steady.back();
        state.counters["jitter_sd_ms"] = std::sqrt(spread / static_cast<double>(steady.size()));
        state.counters["step_error_max_ms"] = maxStep;
        state.counters["samples"] = static_cast<double>(steady.size());
        state.SetLabel(SDL_GetCurrentAudioDriver() != nullptr ? SDL_GetCurrentAudioDriver() : "?");
    }
}
BENCHMARK(BM_PositionLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PositionQuery(benchmark::State& state) {
    Playing p(30.0);
    if (!p.ok) {
        state.SkipWithError("no audio output");
        return;
    }
    p.stream.Play(false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.system.GetChannelPosition(p.stream.GetHandle()));
    }
}
BENCHMARK(BM_PositionQuery)->MinTime(2.0);

} // namespace
