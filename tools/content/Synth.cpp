#include "tools/content/Synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace content {

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kTau = 6.2831853f;

// Adds a stereo frame if it lies inside the waveform.
inline void Add(Waveform& out, std::size_t i, float l, float r) {
    if (i < out.Frames()) {
        out.left[i] += l;
        out.right[i] += r;
    }
}

inline float PanLeft(float pan) {
    return std::cos((pan + 1.0f) * kPi / 4.0f) * 1.41421356f;
}
inline float PanRight(float pan) {
    return std::sin((pan + 1.0f) * kPi / 4.0f) * 1.41421356f;
}

// Frames of a note: its first frame and how many follow.
struct Span {
    std::size_t first, count;
    float rate;
};
Span NoteSpan(const Waveform& out, double time, double seconds) {
    return {out.FrameAt(time), static_cast<std::size_t>(seconds * out.sampleRate),
            static_cast<float>(out.sampleRate)};
}

// Attack-hold-release envelope for a held note; t and lengths in seconds.
inline float Envelope(float t, float attack, float hold, float release) {
    if (t < attack) {
        return t / attack;
    }
    if (t < hold) {
        return 1.0f;
    }
    return std::max(0.0f, 1.0f - (t - hold) / release);
}

// Seed for a note's random phases: the same note at the same time always sounds the same.
std::uint32_t NoteSeed(double time, float note) {
    return static_cast<std::uint32_t>(std::llround(time * 1000.0)) * 131u +
           static_cast<std::uint32_t>(std::lround(note * 8.0f));
}

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

inline float Wrap01(float p) {
    return p - std::floor(p);
}

inline float Smoothstep01(float x) {
    x = std::clamp(x, 0.0f, 1.0f);
    return x * x * (3.0f - 2.0f * x);
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

void Instruments::Kick(Waveform& out, double time, float gain) {
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

void Instruments::Snare(Waveform& out, double time, float gain) {
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

void Instruments::Clap(Waveform& out, double time, float gain) {
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

void Instruments::HiHat(Waveform& out, double time, float gain, bool open, float pan) {
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

void Instruments::Crash(Waveform& out, double time, float gain) {
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

void Instruments::ReverseCrash(Waveform& out, double end, double length, float gain) {
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

void Instruments::Impact(Waveform& out, double time, float gain) {
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

void Instruments::Riser(Waveform& out, double from, double to, float gain) {
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

void Instruments::Tom(Waveform& out, double time, float note, float gain, float pan) {
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

void Instruments::Bass(Waveform& out, double time, double length, float note, float gain,
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

namespace {

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

void Instruments::Pad(Waveform& out, double time, double length, const std::vector<float>& notes,
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

void Instruments::Stab(Waveform& out, double time, const std::vector<float>& notes, float gain,
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

void Instruments::Sweep(Waveform& out, double from, double to, const std::vector<float>& notes,
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

void Instruments::Pluck(Waveform& out, double time, float note, float gain, float pan,
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

void Instruments::Lead(Waveform& out, double time, double length, float note, float gain,
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

void Instruments::Bell(Waveform& out, double time, float note, float gain, float pan) {
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

void AcidLine(Waveform& out, const std::vector<AcidStep>& steps, float gain, float cutoffHz,
              float resonance) {
    if (steps.empty()) {
        return;
    }
    const double begin = steps.front().time;
    const double end = steps.back().time + steps.back().length + 0.05;
    const std::size_t first = out.FrameAt(begin);
    const std::size_t count = static_cast<std::size_t>((end - begin) * out.sampleRate);
    const float rate = static_cast<float>(out.sampleRate);
    Svf filter;
    float phase = 0, env = 0, pitch = steps.front().note, glideFrom = pitch;
    std::size_t next = 0;
    const AcidStep* current = nullptr;
    double started = begin;
    float level = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = begin + static_cast<double>(n) / out.sampleRate;
        while (next < steps.size() && steps[next].time <= t) {
            current = &steps[next++];
            glideFrom = pitch;
            started = current->time;
            if (!current->slide) {
                env = current->accent ? 1.0f : 0.6f;
            }
        }
        const float since = static_cast<float>(t - started);
        const bool gate = current && since < static_cast<float>(current->length);
        if (current) {
            pitch = current->slide && since < 0.05f
                        ? glideFrom + (current->note - glideFrom) * (since / 0.05f)
                        : current->note;
        }
        level += ((gate ? 1.0f : 0.0f) - level) * 0.01f; // about 2 ms ramps
        env *= 0.99985f;                                 // filter envelope decay (~150 ms)
        if (n % 8 == 0) {
            filter.Set(cutoffHz * (1.0f + 7.0f * env), resonance, rate);
        }
        const float step = NoteHz(pitch) / rate;
        phase = Wrap01(phase + step);
        const float y = std::tanh(2.0f * filter.Run(SawBlep(phase, step))) * level * gain;
        Add(out, first + n, y, y);
    }
}

} // namespace content
