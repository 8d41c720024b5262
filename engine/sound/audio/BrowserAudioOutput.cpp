// The audio library's output in the browser, over Web Audio. The page's AudioContext
// (Module.audioContext, made in the click that started the show; a new one otherwise) runs at
// the output rate; a ScriptProcessorNode asks for blocks on the page's thread, between frames.
// Each block starts being heard at its playbackTime, turned into the steady clock through
// getOutputTimestamp, which includes the output latency. Blocks are large (about 93 ms at
// 44.1 kHz) so that a slow frame does not starve the output.
// Streams are converted by linear interpolation between neighbouring frames.

#include "sound/audio/AudioLibrary.h"
#include "sound/audio/AudioOutput.h"

#include <emscripten.h>

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr int blockFrames = 4096;

audio::OutputFill outputFill = nullptr;
std::vector<std::int16_t> block;

// clang-format off
EM_JS(int, OpenWebAudio, (int rate, int frames, std::int16_t* buffer), {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var context = Module["audioContext"];
    if (!context || context.sampleRate != rate) {
        try { context = new Context({sampleRate: rate}); } catch (e) { return 0; }
        Module["audioContext"] = context;
    }
    var node = context.createScriptProcessor(frames, 0, 2);
    node.onaudioprocess = function(event) {
        var out = event.outputBuffer, left = out.getChannelData(0), right = out.getChannelData(1);
        if (Module["audioPaused"]) { left.fill(0); right.fill(0); return; }
        var stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : {};
        var heard = stamp.performanceTime > 0
            ? stamp.performanceTime + (event.playbackTime - stamp.contextTime) * 1000
            : performance.now() + (event.playbackTime - context.currentTime +
                                   (context.outputLatency || context.baseLatency || 0)) * 1000;
        _vellomire_audio_fill(buffer, out.length, heard);
        var samples = HEAP16.subarray(buffer >> 1, (buffer >> 1) + 2 * out.length);
        for (var i = 0; i < out.length; ++i) {
            left[i] = samples[2 * i] / 32768;
            right[i] = samples[2 * i + 1] / 32768;
        }
    };
    Module["audioPaused"] = true;
    node.connect(context.destination);
    context.resume();
    Module["audioNode"] = node;
    return 1;
});
EM_JS(void, PauseWebAudio, (int paused), { Module["audioPaused"] = !!paused; });
EM_JS(void, CloseWebAudio, (), {
    var node = Module["audioNode"];
    if (node) { node.onaudioprocess = null; node.disconnect(); }
    Module["audioNode"] = null;
});
// clang-format on

// Native 16-bit stereo at the stream's rate; resampled by linear interpolation.
class LinearConverter final : public audio::Converter {
  public:
    LinearConverter(int bytesPerSample, int channels, int rate, int outputRate)
        : eightBit(bytesPerSample == 1), mono(channels == 1),
          step((static_cast<std::uint64_t>(rate) << 32) / static_cast<std::uint64_t>(outputRate)) {}

    bool Put(const void* samples, int bytes) override {
        const int frameBytes = (eightBit ? 1 : 2) * (mono ? 1 : 2);
        const int frames = bytes / frameBytes;
        const auto* u8 = static_cast<const std::uint8_t*>(samples);
        const auto* s16 = static_cast<const std::int16_t*>(samples);
        try {
            for (int i = 0; i < frames; ++i) {
                for (int c = 0; c < 2; ++c) {
                    const int index = mono ? i : 2 * i + c;
                    input.push_back(eightBit ? static_cast<std::int16_t>((u8[index] - 128) * 256)
                                             : s16[index]);
                }
            }
            Resample(false);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return true;
    }

    int Get(void* out, int bytes) override {
        const int count = std::min(bytes / 2, Available() / 2);
        std::copy_n(output.begin() + static_cast<std::ptrdiff_t>(taken), count,
                    static_cast<std::int16_t*>(out));
        taken += static_cast<std::size_t>(count);
        if (taken == output.size()) {
            output.clear();
            taken = 0;
        }
        return count * 2;
    }

    void Flush() override { Resample(true); }

    void Clear() override {
        input.clear();
        output.clear();
        taken = 0;
        position = 0;
    }

    int Available() override { return static_cast<int>((output.size() - taken) * 2); }

  private:
    // Emits every output frame whose neighbours are both in; at the end, the last frame stands
    // in for its missing right-hand neighbour.
    void Resample(bool end) {
        const std::uint64_t frames = input.size() / 2;
        for (;;) {
            const std::uint64_t left = position >> 32;
            const std::uint64_t fraction = position & 0xFFFFFFFFu;
            const std::uint64_t right = fraction == 0 ? left : left + 1;
            if (left >= frames || (right >= frames && !end)) {
                break;
            }
            const std::uint64_t r = std::min(right, frames - 1);
            for (int c = 0; c < 2; ++c) {
                const std::int64_t a = input[2 * left + c];
                const std::int64_t b = input[2 * r + c];
                output.push_back(static_cast<std::int16_t>(
                    a + (b - a) * static_cast<std::int64_t>(fraction) / (std::int64_t{1} << 32)));
            }
            position += step;
        }
        const std::uint64_t used = std::min(position >> 32, frames);
        input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(2 * used));
        position -= used << 32;
        if (end) {
            input.clear();
            position = 0;
        }
    }

    bool eightBit;
    bool mono;
    std::uint64_t step; // input frames per output frame, 32.32 fixed point
    std::uint64_t position = 0;
    std::vector<std::int16_t> input; // stereo frames not yet used up
    std::vector<std::int16_t> output;
    std::size_t taken = 0;
};

} // namespace

extern "C" EMSCRIPTEN_KEEPALIVE void vellomire_audio_fill(std::int16_t* samples, int frames,
                                                          double heardMilliseconds) {
    if (outputFill != nullptr) {
        outputFill(samples, static_cast<std::size_t>(frames),
                   static_cast<std::uint64_t>(std::max(0.0, heardMilliseconds) * 1e6));
    }
}

namespace audio {

int OpenOutput(std::uint32_t rate, OutputFill fill) {
    try {
        block.assign(2 * blockFrames, 0);
    } catch (const std::bad_alloc&) {
        return BASS_ERROR_MEM;
    }
    outputFill = fill;
    if (OpenWebAudio(static_cast<int>(rate), blockFrames, block.data()) == 0) {
        outputFill = nullptr;
        return BASS_ERROR_DRIVER;
    }
    return BASS_OK;
}

void PauseOutput(bool paused) {
    PauseWebAudio(paused ? 1 : 0);
}

void CloseOutput() {
    CloseWebAudio();
    outputFill = nullptr;
}

std::unique_ptr<Converter> Converter::Create(int bytesPerSample, int channels, int rate,
                                             int outputRate) {
    if ((bytesPerSample != 1 && bytesPerSample != 2) || (channels != 1 && channels != 2) ||
        rate <= 0 || outputRate <= 0) {
        return nullptr;
    }
    return std::unique_ptr<Converter>(
        new (std::nothrow) LinearConverter(bytesPerSample, channels, rate, outputRate));
}

} // namespace audio
