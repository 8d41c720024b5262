#include "tools/content/Percussion.h"

#include "tools/content/SynthBlocks.h"
#include "tools/content/SynthCommon.h"

#include <algorithm>
#include <cmath>

namespace content {

using namespace synth;

void Percussion::Kick(Waveform& out, double time, float gain) {
    const Span s = NoteSpan(out, time, 0.55);
    Noise noise(NoteSeed(time, 1));
    float phase = 0;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        const float f = 47.0f + 115.0f * std::exp(-t / 0.032f) + 260.0f * std::exp(-t / 0.004f);
        phase = Wrap01(phase + f / s.rate);
        const float amp = std::min(1.0f, t / 0.0015f) * std::exp(-t / 0.18f) *
                          std::min(1.0f, (0.55f - t) / 0.03f);
        const float click = noise.Next() * std::exp(-t / 0.0025f) * 0.25f;
        const float y = std::tanh(1.1f * (std::sin(kTau * phase) * amp + click)) / std::tanh(1.1f);
        Add(out, s.first + n, y * gain, y * gain);
    }
}

void Percussion::Snare(Waveform& out, double time, float gain) {
    const Span s = NoteSpan(out, time, 0.45);
    Noise noiseL(NoteSeed(time, 2)), noiseR(NoteSeed(time, 3));
    Svf highL, highR;
    highL.Set(1400, 0.7f, s.rate);
    highR.Set(1400, 0.7f, s.rate);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        const float tone = std::sin(kTau * 185.0f * t) * std::exp(-t / 0.055f) * 0.55f +
                           std::sin(kTau * 330.0f * t) * std::exp(-t / 0.035f) * 0.3f;
        const float env = std::exp(-t / 0.13f) * std::min(1.0f, t / 0.001f) * 0.8f;
        const float fade = std::min(1.0f, (0.45f - t) / 0.05f);
        highL.Run(noiseL.Next());
        highR.Run(noiseR.Next());
        Add(out, s.first + n, (tone + highL.high * env) * gain * fade,
            (tone + highR.high * env) * gain * fade);
    }
}

void Percussion::Clap(Waveform& out, double time, float gain) {
    const Span s = NoteSpan(out, time, 0.5);
    Noise noiseL(NoteSeed(time, 4)), noiseR(NoteSeed(time, 5));
    Svf bandL, bandR;
    bandL.Set(1150, 1.4f, s.rate);
    bandR.Set(1250, 1.4f, s.rate);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        float env = 0;
        for (float burst : {0.0f, 0.011f, 0.022f}) {
            if (t >= burst) {
                env = std::max(env, std::exp(-(t - burst) / 0.0055f));
            }
        }
        if (t >= 0.031f) {
            env = std::max(env, 0.8f * std::exp(-(t - 0.031f) / 0.13f));
        }
        env *= std::min(1.0f, (0.5f - t) / 0.05f);
        bandL.Run(noiseL.Next());
        bandR.Run(noiseR.Next());
        Add(out, s.first + n, bandL.band * env * gain * 2.2f, bandR.band * env * gain * 2.2f);
    }
}

namespace {
// Six detuned square waves: the metallic body of cymbals.
float Metal(float t) {
    static const float ratios[6] = {2.0f, 3.0f, 4.16f, 5.43f, 6.79f, 8.21f};
    float sum = 0;
    for (float r : ratios) {
        sum += Wrap01(t * 317.0f * r) < 0.5f ? 1.0f : -1.0f;
    }
    return sum / 6.0f;
}
} // namespace

void Percussion::HiHat(Waveform& out, double time, float gain, bool open, float pan) {
    const float decay = open ? 0.22f : 0.032f;
    const float seconds = open ? 0.8f : 0.2f;
    const Span s = NoteSpan(out, time, seconds);
    Noise noise(NoteSeed(time, 6));
    Svf high;
    high.Set(7500, 0.8f, s.rate);
    const float l = PanLeft(pan), r = PanRight(pan);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        high.Run(noise.Next() * 0.7f + Metal(t) * 0.5f);
        const float y = high.high * std::exp(-t / decay) * std::min(1.0f, t / 0.0008f) *
                        std::min(1.0f, (seconds - t) / 0.05f) * gain;
        Add(out, s.first + n, y * l, y * r);
    }
}

void Percussion::Crash(Waveform& out, double time, float gain) {
    const Span s = NoteSpan(out, time, 3.2);
    Noise noiseL(NoteSeed(time, 7)), noiseR(NoteSeed(time, 8));
    Svf highL, highR;
    highL.Set(3800, 0.7f, s.rate);
    highR.Set(4200, 0.7f, s.rate);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        const float env = (std::exp(-t / 0.9f) * 0.7f + std::exp(-t / 0.08f) * 0.5f) *
                          std::min(1.0f, t / 0.001f) * std::min(1.0f, (3.2f - t) / 0.2f);
        const float metal = Metal(t * 1.37f) * 0.35f;
        highL.Run(noiseL.Next() + metal);
        highR.Run(noiseR.Next() - metal);
        Add(out, s.first + n, highL.high * env * gain, highR.high * env * gain);
    }
}

void Percussion::ReverseCrash(Waveform& out, double end, double length, float gain) {
    const double start = end - length;
    const Span s = NoteSpan(out, start, length);
    Noise noiseL(NoteSeed(start, 9)), noiseR(NoteSeed(start, 10));
    Svf highL, highR;
    highL.Set(3000, 0.7f, s.rate);
    highR.Set(3300, 0.7f, s.rate);
    const float total = static_cast<float>(length);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float left = total - static_cast<float>(n) / s.rate; // seconds until the end
        const float env = std::exp(-left / (total * 0.3f)) * std::min(1.0f, left / 0.01f);
        highL.Run(noiseL.Next());
        highR.Run(noiseR.Next());
        Add(out, s.first + n, highL.high * env * gain, highR.high * env * gain);
    }
}

void Percussion::Impact(Waveform& out, double time, float gain) {
    const Span s = NoteSpan(out, time, 2.2);
    Noise noise(NoteSeed(time, 11));
    Svf low;
    low.Set(380, 0.8f, s.rate);
    float phase = 0;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        const float f = 36.0f + 70.0f * std::exp(-t / 0.07f);
        phase = Wrap01(phase + f / s.rate);
        const float boom =
            std::sin(kTau * phase) * std::exp(-t / 0.5f) * std::min(1.0f, t / 0.002f);
        const float rumble = low.Run(noise.Next()) * std::exp(-t / 0.3f) * 1.2f;
        const float fade = std::min(1.0f, (2.2f - t) / 0.3f);
        const float y = std::tanh(1.3f * (boom + rumble)) * fade * gain;
        Add(out, s.first + n, y, y);
    }
}

void Percussion::Riser(Waveform& out, double from, double to, float gain) {
    const double length = to - from;
    const Span s = NoteSpan(out, from, length);
    Noise noiseL(NoteSeed(from, 12)), noiseR(NoteSeed(from, 13));
    Svf bandL, bandR;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float u = static_cast<float>(n) / static_cast<float>(s.count);
        if (n % 32 == 0) {
            const float cutoff = 350.0f * std::pow(24.0f, u);
            bandL.Set(cutoff, 2.5f, s.rate);
            bandR.Set(cutoff * 1.08f, 2.5f, s.rate);
        }
        bandL.Run(noiseL.Next());
        bandR.Run(noiseR.Next());
        const float env = u * u * std::min(1.0f, (1.0f - u) * static_cast<float>(length) / 0.004f);
        Add(out, s.first + n, bandL.band * env * gain * 2.0f, bandR.band * env * gain * 2.0f);
    }
}

void Percussion::Tom(Waveform& out, double time, float note, float gain, float pan) {
    const Span s = NoteSpan(out, time, 0.6);
    const float base = NoteHz(note);
    const float l = PanLeft(pan), r = PanRight(pan);
    float phase = 0;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        phase = Wrap01(phase + base * (1.0f + 0.6f * std::exp(-t / 0.05f)) / s.rate);
        const float y = std::sin(kTau * phase) * std::exp(-t / 0.18f) * std::min(1.0f, t / 0.001f) *
                        std::min(1.0f, (0.6f - t) / 0.05f) * gain;
        Add(out, s.first + n, y * l, y * r);
    }
}

} // namespace content
