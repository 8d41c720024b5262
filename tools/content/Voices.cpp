#include "tools/content/Voices.h"

#include "tools/content/SynthBlocks.h"
#include "tools/content/SynthCommon.h"

#include <algorithm>
#include <cmath>

namespace content {

using namespace synth;

namespace {

inline float Smoothstep01(float x) {
    x = std::clamp(x, 0.0f, 1.0f);
    return x * x * (3.0f - 2.0f * x);
}

// Detuned saw stack (a "supersaw") for one note, spread across the stereo field, through a
// low-pass whose cutoff follows `cutoffAt(t)`; amplitude follows `ampAt(t)`.
template <typename Cutoff, typename Amp>
void SawStack(Waveform& out, double time, double seconds, float note, int voices, float detuneCents,
              float gain, Cutoff cutoffAt, Amp ampAt) {
    const Span s = NoteSpan(out, time, seconds);
    Noise seed(NoteSeed(time, note));
    std::vector<float> phases(static_cast<std::size_t>(voices)), steps(phases.size()),
        pans(phases.size());
    for (int v = 0; v < voices; ++v) {
        const float spread =
            voices > 1 ? static_cast<float>(v) / static_cast<float>(voices - 1) * 2.0f - 1.0f
                       : 0.0f;
        phases[v] = 0.5f + 0.5f * seed.Next();
        steps[v] = NoteHz(note + spread * detuneCents / 100.0f) / s.rate;
        pans[v] = spread * 0.8f;
    }
    Svf filterL, filterR;
    const float norm = gain / std::sqrt(static_cast<float>(voices));
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        if (n % 16 == 0) {
            const float cutoff = cutoffAt(t);
            filterL.Set(cutoff, 0.9f, s.rate);
            filterR.Set(cutoff, 0.9f, s.rate);
        }
        float l = 0, r = 0;
        for (int v = 0; v < voices; ++v) {
            phases[v] = Wrap01(phases[v] + steps[v]);
            const float x = SawBlep(phases[v], steps[v]);
            l += x * (1.0f - pans[v]) * 0.5f;
            r += x * (1.0f + pans[v]) * 0.5f;
        }
        const float amp = ampAt(t) * norm;
        Add(out, s.first + n, filterL.Run(l) * amp, filterR.Run(r) * amp);
    }
}

} // namespace

void Voices::Bass(Waveform& out, double time, double length, float note, float gain,
                  float brightness) {
    const float release = 0.06f;
    const Span s = NoteSpan(out, time, length + release);
    const float f = NoteHz(note), step = f / s.rate;
    const float hold = static_cast<float>(length);
    Svf filter;
    float phase = 0.25f, sub = 0;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        if (n % 16 == 0) {
            filter.Set(110.0f + brightness * (1600.0f * std::exp(-t / 0.11f) + 260.0f), 1.3f,
                       s.rate);
        }
        phase = Wrap01(phase + step);
        sub = Wrap01(sub + step); // a sine under the saw for weight
        const float raw = SawBlep(phase, step) * 0.6f + std::sin(kTau * sub) * 0.55f;
        const float y =
            std::tanh(1.4f * filter.Run(raw)) * Envelope(t, 0.003f, hold, release) * gain;
        Add(out, s.first + n, y, y);
    }
}

void Voices::Pad(Waveform& out, double time, double length, const std::vector<float>& notes,
                 float gain, float brightness) {
    const float hold = static_cast<float>(length), release = 1.2f;
    const float attack = std::min(0.7f, hold * 0.5f);
    for (float note : notes) {
        SawStack(
            out, time, length + release, note, 6, 22.0f,
            gain / std::sqrt(static_cast<float>(notes.size())),
            [&](float t) {
                return 350.0f + brightness * 2600.0f + 250.0f * std::sin(kTau * 0.23f * t);
            },
            [&](float t) { return Envelope(t, attack, hold, release); });
    }
}

void Voices::Stab(Waveform& out, double time, const std::vector<float>& notes, float gain,
                  float brightness) {
    for (float note : notes) {
        SawStack(
            out, time, 1.0, note, 5, 18.0f, gain / std::sqrt(static_cast<float>(notes.size())),
            [&](float t) { return 250.0f + brightness * 7000.0f * std::exp(-t / 0.16f); },
            [&](float t) {
                return std::min(1.0f, t / 0.002f) * std::exp(-t / 0.28f) *
                       std::min(1.0f, (1.0f - t) / 0.1f);
            });
    }
}

void Voices::Sweep(Waveform& out, double from, double to, const std::vector<float>& notes,
                   float gain) {
    const float length = static_cast<float>(to - from);
    for (float note : notes) {
        SawStack(
            out, from, length, note, 5, 25.0f, gain / std::sqrt(static_cast<float>(notes.size())),
            [&](float t) { return 200.0f * std::pow(40.0f, t / length); },
            [&](float t) {
                return std::min(1.0f, t / length * 2.0f) * std::min(1.0f, (length - t) / 0.01f);
            });
    }
}

void Voices::Pluck(Waveform& out, double time, float note, float gain, float pan,
                   float brightness) {
    const Span s = NoteSpan(out, time, 0.7);
    const float step = NoteHz(note) / s.rate;
    const float l = PanLeft(pan), r = PanRight(pan);
    Svf filter;
    float phase = 0;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        if (n % 16 == 0) {
            filter.Set(220.0f + brightness * 5200.0f * std::exp(-t / 0.07f), 1.6f, s.rate);
        }
        phase = Wrap01(phase + step);
        const float raw = SquareBlep(phase, step) * 0.5f + SawBlep(phase, step) * 0.5f;
        const float amp =
            std::min(1.0f, t / 0.001f) * std::exp(-t / 0.22f) * std::min(1.0f, (0.7f - t) / 0.05f);
        const float y = filter.Run(raw) * amp * gain;
        Add(out, s.first + n, y * l, y * r);
    }
}

void Voices::Lead(Waveform& out, double time, double length, float note, float gain,
                  float fromNote) {
    const float hold = static_cast<float>(length), release = 0.16f;
    const Span s = NoteSpan(out, time, length + release);
    Svf filterL, filterR;
    float p1 = 0, p2 = 0.33f, p3 = 0.66f;
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        float pitch = note;
        if (fromNote > 0 && t < 0.06f) {
            pitch = fromNote + (note - fromNote) * (t / 0.06f);
        }
        const float vibrato = 0.22f * Smoothstep01((t - 0.25f) / 0.3f) * std::sin(kTau * 5.5f * t);
        const float f = NoteHz(pitch + vibrato);
        const float s1 = NoteHz(pitch + vibrato + 0.08f) / s.rate,
                    s2 = NoteHz(pitch + vibrato - 0.08f) / s.rate;
        const float s3 = f * 0.5f / s.rate;
        p1 = Wrap01(p1 + s1);
        p2 = Wrap01(p2 + s2);
        p3 = Wrap01(p3 + s3);
        if (n % 16 == 0) {
            const float cutoff = 2200.0f + 2600.0f * std::exp(-t / 0.18f);
            filterL.Set(cutoff, 1.1f, s.rate);
            filterR.Set(cutoff, 1.1f, s.rate);
        }
        const float sub = SquareBlep(p3, s3) * 0.25f;
        const float a = SawBlep(p1, s1), b = SawBlep(p2, s2);
        const float amp = Envelope(t, 0.008f, hold, release) * gain * 0.5f;
        Add(out, s.first + n, filterL.Run(a * 0.8f + b * 0.2f + sub) * amp,
            filterR.Run(b * 0.8f + a * 0.2f + sub) * amp);
    }
}

void Voices::Bell(Waveform& out, double time, float note, float gain, float pan) {
    const Span s = NoteSpan(out, time, 2.0);
    const float f = NoteHz(note);
    const float l = PanLeft(pan), r = PanRight(pan);
    for (std::size_t n = 0; n < s.count; ++n) {
        const float t = static_cast<float>(n) / s.rate;
        const float index = 2.6f * std::exp(-t / 0.12f) + 0.3f;
        const float modulator = std::sin(kTau * f * 3.5f * t) * index;
        const float body = std::sin(kTau * f * t + modulator) * std::exp(-t / 0.55f);
        const float shimmer = std::sin(kTau * f * 2.0f * t) * std::exp(-t / 0.25f) * 0.3f;
        const float amp = std::min(1.0f, t / 0.001f) * std::min(1.0f, (2.0f - t) / 0.2f) * gain;
        const float y = (body + shimmer) * amp;
        Add(out, s.first + n, y * l, y * r);
    }
}

} // namespace content
