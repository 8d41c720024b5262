#pragma once

#include "tools/content/SoundtrackMarks.h"
#include "tools/content/Waveform.h"

#include <vector>

namespace content {

inline constexpr double kTargetLoudness = -14.0; // LUFS
inline constexpr float kPeakCeiling = 0.794f;    // -2 dBFS before encoding

// How the piece leads into a section: a noise riser, the band stopping for the last beat, a
// drum fill, or a chord whose filter opens.
enum class LeadIn { riser, stop, fill, sweep };

// What the piece plays, written down while it is rendered: every pitched note of every line
// (arpeggios, bass, melodies, bells), the harmony each pad holds, the lead-ins in order, the
// key of each section (semitones above A minor) and where a melody was cut short.
struct Score {
    struct Note {
        double time, length;
        float note; // MIDI
    };
    struct Harmony {
        double from, to;
        std::vector<float> tones; // MIDI, the bass root among them
    };
    std::vector<Note> notes;
    std::vector<Harmony> harmony;
    std::vector<LeadIn> leadIns;
    std::vector<float> keys;
    std::vector<double> cutPhrases; // start times
};

// The whole piece, mastered: loudness about kTargetLoudness, peaks below kPeakCeiling, silent
// from kFadeEnd on. Fills `score` when one is given.
Waveform MakeSoundtrack(int sampleRate, Score* score = nullptr);

} // namespace content
