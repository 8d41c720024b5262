#include "tools/content/BusEffects.h"

#include "tools/content/SynthBlocks.h"
#include "tools/content/SynthCommon.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace content {

using namespace synth;

void HighPass(Waveform& bus, float cutoffHz) {
    Svf left, right;
    left.Set(cutoffHz, 0.707f, static_cast<float>(bus.sampleRate));
    right.Set(cutoffHz, 0.707f, static_cast<float>(bus.sampleRate));
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
        left.Run(bus.left[i]);
        right.Run(bus.right[i]);
        bus.left[i] = left.high;
        bus.right[i] = right.high;
    }
}

void PingPongDelay(Waveform& bus, double delaySeconds, float feedback, float wet, float dampHz) {
    const std::size_t length =
        std::max<std::size_t>(1, static_cast<std::size_t>(delaySeconds * bus.sampleRate));
    std::vector<float> lineL(length, 0.0f), lineR(length, 0.0f);
    const float damp = std::exp(-kTau * dampHz / static_cast<float>(bus.sampleRate));
    float lowL = 0, lowR = 0;
    std::size_t at = 0;
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
        const float outL = lineL[at], outR = lineR[at];
        lowL = outL + (lowL - outL) * damp;
        lowR = outR + (lowR - outR) * damp;
        const float input = 0.5f * (bus.left[i] + bus.right[i]);
        lineL[at] = input + lowR * feedback; // left echo, then right, then left ...
        lineR[at] = lowL * feedback;
        bus.left[i] += outL * wet;
        bus.right[i] += outR * wet;
        at = (at + 1) % length;
    }
}

namespace {

struct Comb {
    std::vector<float> buffer;
    std::size_t at = 0;
    float store = 0;
    float Run(float input, float feedback, float damp) {
        const float out = buffer[at];
        store = out * (1.0f - damp) + store * damp;
        buffer[at] = input + store * feedback;
        at = (at + 1) % buffer.size();
        return out;
    }
};

struct Allpass {
    std::vector<float> buffer;
    std::size_t at = 0;
    float Run(float input) {
        const float delayed = buffer[at];
        buffer[at] = input + delayed * 0.5f;
        at = (at + 1) % buffer.size();
        return delayed - input;
    }
};

} // namespace

void Reverb(Waveform& bus, float size, float damping, float wet) {
    static const std::array<int, 8> combLengths = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const std::array<int, 4> allpassLengths = {556, 441, 341, 225};
    const int spread = 23;
    const float scale = static_cast<float>(bus.sampleRate) / 44100.0f;
    auto frames = [&](int n) { return static_cast<std::size_t>(static_cast<float>(n) * scale); };
    std::array<std::array<Comb, 8>, 2> combs;
    std::array<std::array<Allpass, 4>, 2> allpasses;
    for (int side = 0; side < 2; ++side) {
        for (int c = 0; c < 8; ++c) {
            combs[side][c].buffer.assign(frames(combLengths[c] + side * spread), 0.0f);
        }
        for (int a = 0; a < 4; ++a) {
            allpasses[side][a].buffer.assign(frames(allpassLengths[a] + side * spread), 0.0f);
        }
    }
    const float feedback = size * 0.28f + 0.7f;
    const float damp = damping * 0.4f;
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
        const float input = (bus.left[i] + bus.right[i]) * 0.015f;
        float out[2] = {0, 0};
        for (int side = 0; side < 2; ++side) {
            for (Comb& comb : combs[side]) {
                out[side] += comb.Run(input, feedback, damp);
            }
            for (Allpass& pass : allpasses[side]) {
                out[side] = pass.Run(out[side]);
            }
        }
        bus.left[i] += out[0] * wet * 3.0f;
        bus.right[i] += out[1] * wet * 3.0f;
    }
}

void Duck(Waveform& bus, const std::vector<double>& triggers, float depth, double recover) {
    std::vector<double> sorted = triggers;
    std::sort(sorted.begin(), sorted.end());
    std::size_t next = 0;
    double last = -1e9;
    const double attack = 0.004;
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
        const double t = static_cast<double>(i) / bus.sampleRate;
        while (next < sorted.size() && sorted[next] <= t) {
            last = sorted[next++];
        }
        const double since = t - last;
        double shape = since < attack ? since / attack : std::exp(-(since - attack) / recover);
        const float gain = 1.0f - depth * static_cast<float>(shape);
        bus.left[i] *= gain;
        bus.right[i] *= gain;
    }
}

} // namespace content
