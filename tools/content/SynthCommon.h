#pragma once
// What the synth's files share: the circle constants, phase wrapping, and the small steps of
// writing one note into a bus (its frames, envelope, pan and random seed).

#include "tools/content/Waveform.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace content::synth {

inline constexpr float kPi = 3.14159265f;
inline constexpr float kTau = 6.2831853f;

inline float Wrap01(float p) {
    return p - std::floor(p);
}

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
inline Span NoteSpan(const Waveform& out, double time, double seconds) {
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
inline std::uint32_t NoteSeed(double time, float note) {
    return static_cast<std::uint32_t>(std::llround(time * 1000.0)) * 131u +
           static_cast<std::uint32_t>(std::lround(note * 8.0f));
}

} // namespace content::synth
