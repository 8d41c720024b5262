#pragma once
// The soundtrack's marks in seconds of music, written once: the arrangement is built on them,
// the tests check the generated sound against them, and `vellomire-content --list-marks`
// prints them for scripts/measure-soundtrack. Sections change where the show changes scene
// (and at two moments inside scenes); accents land where the pictures flash or swell. All
// times lie on a 0.25 s grid: eighth notes at 120 beats per minute.

#include <algorithm>
#include <iterator>
#include <vector>

namespace content {

inline constexpr double kSoundtrackSeconds = 205.0; // the show ends at 203 s
inline constexpr double kFadeStart = 197.0, kFadeEnd = 203.0;

// Where each section starts.
namespace section {
inline constexpr double kIntro = 0;           // the blob in the fog
inline constexpr double kEmerge = 13;         // the spiked ball comes out of the fog
inline constexpr double kDrop = 26;           // the first theme
inline constexpr double kSecondDrop = 39;     // the second theme
inline constexpr double kSwells = 52;         // the logo swells
inline constexpr double kAcid = 66.5;         // the chess poles
inline constexpr double kFloat = 79.5;        // black and white, the landscape flight
inline constexpr double kAnthem = 105.5;      // the greetings
inline constexpr double kTunnel = 131.5;      // the tunnel in A minor
inline constexpr double kTunnelHigh = 144.25; // the flash, a tone higher
inline constexpr double kPuzzle = 157.25;     // the marble puzzle
inline constexpr double kBuild = 180.75;      // the build on the dominant
inline constexpr double kOutro = 183;         // the outro with the thanks
} // namespace section

inline constexpr double kSectionStarts[] = {
    section::kIntro,  section::kEmerge,     section::kDrop,   section::kSecondDrop,
    section::kSwells, section::kAcid,       section::kFloat,  section::kAnthem,
    section::kTunnel, section::kTunnelHigh, section::kPuzzle, section::kBuild,
    section::kOutro};

// Accents inside sections: the logo's five swells (the first opens its section) and the
// greeting cards' entrances.
inline constexpr double kSwellPeaks[] = {section::kSwells, 53.5, 56.75, 60, 63.25};
inline constexpr double kCardEntrances[] = {108, 115.5, 123};

inline std::vector<double> SectionStarts() {
    return {std::begin(kSectionStarts), std::end(kSectionStarts)};
}

// Every moment the pictures mark, in time order: each section start after the first, each
// swell and each card's entrance.
inline std::vector<double> AccentTimes() {
    std::vector<double> times(std::begin(kSectionStarts) + 1, std::end(kSectionStarts));
    times.insert(times.end(), std::begin(kSwellPeaks), std::end(kSwellPeaks));
    times.insert(times.end(), std::begin(kCardEntrances), std::end(kCardEntrances));
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    return times;
}

} // namespace content
