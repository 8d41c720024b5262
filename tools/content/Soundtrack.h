#pragma once

#include "tools/content/Waveform.h"

#include <vector>

namespace content {

// The soundtrack's plan, in seconds of music time. Sections change where the show changes
// scene (and at two moments inside scenes); accents land where the pictures flash or swell.
// All times lie on a 0.25 s grid: eighth notes at 120 beats per minute.
inline constexpr double kSoundtrackSeconds = 205.0; // the show ends at 203 s
inline constexpr double kFadeStart = 197.0, kFadeEnd = 203.0;
inline constexpr double kTargetLoudness = -14.0; // LUFS
inline constexpr float kPeakCeiling = 0.794f;    // -2 dBFS before encoding

std::vector<double> SectionStarts(); // 0, 13, 26, 39, 52, 66.5, ...
std::vector<double> AccentTimes();   // every moment the pictures mark

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
