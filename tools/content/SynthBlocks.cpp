#include "tools/content/SynthBlocks.h"

#include "tools/content/SynthCommon.h"

#include <algorithm>
#include <cmath>

namespace content {

using namespace synth;

namespace {

inline float Polyblep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float NoteHz(float note) {
    return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f);
}

void Svf::Set(float cutoffHz, float q, float sampleRate) {
    const float g = std::tan(kPi * std::min(cutoffHz, sampleRate * 0.45f) / sampleRate);
    k = 1.0f / q;
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

float Svf::Run(float x) {
    const float v3 = x - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    band = v1;
    high = x - k * v1 - v2;
    return v2;
}

float Noise::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>(state) / 2147483648.0f - 1.0f;
}

float SawBlep(float phase, float step) {
    return 2.0f * phase - 1.0f - Polyblep(phase, step);
}

float SquareBlep(float phase, float step) {
    float value = phase < 0.5f ? 1.0f : -1.0f;
    value += Polyblep(phase, step);
    value -= Polyblep(Wrap01(phase + 0.5f), step);
    return value;
}

} // namespace content
