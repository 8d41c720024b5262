// The audio library's output in the browser, over Web Audio. The page's AudioContext
// (Module.audioContext, made in the click that started the show; a new one otherwise) runs at
// the output rate. An AudioWorklet plays from a ring buffer on the browser's audio thread; the
// page's thread mixes blocks into it between frames, whenever the worklet reports its progress,
// keeping about a third of a second ahead so that a slow frame does not starve the output.
// Where AudioWorklet is missing (an old browser, a page not served securely) a
// ScriptProcessorNode asks for the blocks instead, on the page's thread.
//
// Each block starts being heard at the context frame the worklet will play it at, turned into
// the steady clock through getOutputTimestamp, which includes the output latency. The worklet
// tells when each block really began; Module.audioLead keeps how much earlier the block was
// said to be heard (the music clock's lead over what is heard): count, mean and deviation in
// milliseconds.
// Streams are converted by linear interpolation between neighbouring frames.

#include "sound/audio/AudioLibrary.h"
#include "sound/audio/AudioOutput.h"

#include <emscripten.h>

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr int blockFrames = 2048;    // mixed at a time (46 ms at 44.1 kHz)
constexpr int blocksAhead = 8;       // kept queued in the worklet's ring
constexpr int fallbackFrames = 4096; // the ScriptProcessorNode's blocks

audio::OutputFill outputFill = nullptr;
std::vector<std::int16_t> block;

// clang-format off
EM_JS(void, DefineWebAudioOutput, (), {
    // The heard time of context second `seconds`, in milliseconds of performance.now().
    Module["audioHeardAt"] = function(context, seconds) {
        var stamp = context.getOutputTimestamp ? context.getOutputTimestamp() : {};
        return stamp.performanceTime > 0
            ? stamp.performanceTime + (seconds - stamp.contextTime) * 1000
            : performance.now() + (seconds - context.currentTime +
                                   (context.outputLatency || context.baseLatency || 0)) * 1000;
    };
    // Runs in the audio thread's scope: its source is handed to addModule.
    Module["audioWorkletSource"] = function() {
        class RingOutput extends AudioWorkletProcessor {
            constructor(options) {
                super();
                this.capacity = options.processorOptions.capacity;
                this.left = new Float32Array(this.capacity);
                this.right = new Float32Array(this.capacity);
                this.written = 0; // stream frames, ever
                this.read = 0;
                this.starts = []; // where the blocks not yet begun begin
                this.playing = false;
                this.toldEmpty = false;
                this.port.onmessage = (event) => {
                    var samples = event.data.samples;
                    if (!samples) {
                        this.playing = event.data.playing;
                        this.read = this.written; // a stopped output drops what it held
                        this.starts = [];
                        return;
                    }
                    this.starts.push(this.written);
                    for (var i = 0; i < samples.length / 2; ++i, ++this.written) {
                        var at = this.written % this.capacity;
                        this.left[at] = samples[2 * i] / 32768;
                        this.right[at] = samples[2 * i + 1] / 32768;
                    }
                    this.toldEmpty = false;
                };
            }
            process(inputs, outputs) {
                var left = outputs[0][0], right = outputs[0][1], began = [], i = 0;
                for (; this.playing && i < left.length && this.read < this.written; ++i) {
                    if (this.starts[0] === this.read) began.push([this.starts.shift(), currentFrame + i]);
                    var at = this.read++ % this.capacity;
                    left[i] = this.left[at];
                    right[i] = this.right[at];
                }
                left.fill(0, i);
                right.fill(0, i);
                var empty = this.playing && this.read === this.written;
                if (began.length || (empty && !this.toldEmpty)) {
                    // Stream frame `read` plays at context frame `next`, unless the ring runs dry.
                    this.port.postMessage({read: this.read, next: currentFrame + left.length, began: began});
                    this.toldEmpty = empty;
                }
                return true;
            }
        }
        registerProcessor("vellomire-ring-output", RingOutput);
    };
});

EM_ASYNC_JS(int, OpenWorkletOutput, (int rate, int frames, int ahead, std::int16_t* buffer), {
    var context = Module["audioContext"];
    if (!context.audioWorklet || typeof AudioWorkletNode !== "function") return 0;
    var node;
    try {
        var source = "(" + Module["audioWorkletSource"].toString() + ")();";
        var url = URL.createObjectURL(new Blob([source], {type: "text/javascript"}));
        await context.audioWorklet.addModule(url);
        URL.revokeObjectURL(url);
        node = new AudioWorkletNode(context, "vellomire-ring-output", {
            numberOfInputs: 0, outputChannelCount: [2],
            processorOptions: {capacity: (ahead + 1) * frames}});
    } catch (e) {
        return 0;
    }
    var ring = {written: 0, read: 0, next: 0, playing: false, said: new Map()};
    var lead = Module["audioLead"] = {count: 0, mean: 0, deviation: 0, squares: 0};
    ring.topUp = function() {
        if (!ring.playing) return;
        // Consecutive stream frames play at consecutive context frames from where the worklet
        // said, or from the next render quantum when it has run dry.
        var soonest = Math.ceil(context.currentTime * rate) + 128;
        var offset = Math.max(ring.next - ring.read, soonest - ring.written);
        while (ring.written - ring.read < ahead * frames) {
            var heard = Module["audioHeardAt"](context, (ring.written + offset) / rate);
            _vellomire_audio_fill(buffer, frames, heard);
            var samples = HEAP16.slice(buffer >> 1, (buffer >> 1) + 2 * frames);
            ring.said.set(ring.written, heard);
            node.port.postMessage({samples: samples}, [samples.buffer]);
            ring.written += frames;
        }
    };
    node.port.onmessage = function(event) {
        var report = event.data;
        ring.read = report.read;
        ring.next = report.next;
        report.began.forEach(function(began) {
            var said = ring.said.get(began[0]);
            ring.said.delete(began[0]);
            if (said === undefined) return;
            var x = Module["audioHeardAt"](context, began[1] / rate) - said;
            var delta = x - lead.mean;
            lead.mean += delta / ++lead.count;
            lead.squares += delta * (x - lead.mean);
            lead.deviation = lead.count > 1 ? Math.sqrt(lead.squares / (lead.count - 1)) : 0;
        });
        ring.topUp();
    };
    ring.play = function(playing) {
        ring.playing = playing;
        ring.read = ring.written;
        ring.said.clear();
        node.port.postMessage({playing: playing});
        ring.topUp();
    };
    ring.close = function() {
        ring.playing = false;
        node.port.onmessage = null;
        node.disconnect();
    };
    node.connect(context.destination);
    context.resume();
    Module["audioOutput"] = ring;
    return 1;
});

EM_JS(int, OpenScriptProcessorOutput, (int frames, std::int16_t* buffer), {
    var context = Module["audioContext"];
    var node = context.createScriptProcessor(frames, 0, 2);
    var output = {playing: false};
    node.onaudioprocess = function(event) {
        var out = event.outputBuffer, left = out.getChannelData(0), right = out.getChannelData(1);
        if (!output.playing) { left.fill(0); right.fill(0); return; }
        _vellomire_audio_fill(buffer, out.length, Module["audioHeardAt"](context, event.playbackTime));
        var samples = HEAP16.subarray(buffer >> 1, (buffer >> 1) + 2 * out.length);
        for (var i = 0; i < out.length; ++i) {
            left[i] = samples[2 * i] / 32768;
            right[i] = samples[2 * i + 1] / 32768;
        }
    };
    output.play = function(playing) { output.playing = playing; };
    output.close = function() { node.onaudioprocess = null; node.disconnect(); };
    node.connect(context.destination);
    context.resume();
    Module["audioOutput"] = output;
    return 1;
});

EM_JS(int, MakeAudioContext, (int rate), {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var context = Module["audioContext"];
    if (!context || context.sampleRate != rate) {
        try { context = new Context({sampleRate: rate}); } catch (e) { return 0; }
        Module["audioContext"] = context;
    }
    return 1;
});
EM_JS(void, PlayWebAudio, (int playing), {
    if (Module["audioOutput"]) Module["audioOutput"].play(!!playing);
});
EM_JS(void, CloseWebAudio, (), {
    if (Module["audioOutput"]) Module["audioOutput"].close();
    Module["audioOutput"] = null;
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
        block.assign(2 * static_cast<std::size_t>(std::max(blockFrames, fallbackFrames)), 0);
    } catch (const std::bad_alloc&) {
        return BASS_ERROR_MEM;
    }
    if (MakeAudioContext(static_cast<int>(rate)) == 0) {
        return BASS_ERROR_DRIVER;
    }
    outputFill = fill;
    DefineWebAudioOutput();
    if (OpenWorkletOutput(static_cast<int>(rate), blockFrames, blocksAhead, block.data()) == 0 &&
        OpenScriptProcessorOutput(fallbackFrames, block.data()) == 0) {
        outputFill = nullptr;
        return BASS_ERROR_DRIVER;
    }
    return BASS_OK;
}

void PauseOutput(bool paused) {
    PlayWebAudio(paused ? 0 : 1);
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
