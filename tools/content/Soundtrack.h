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

// The whole piece, mastered: loudness about kTargetLoudness, peaks below kPeakCeiling, silent
// from kFadeEnd on.
Waveform MakeSoundtrack(int sampleRate);

} // namespace content
