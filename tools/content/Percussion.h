#pragma once

#include "tools/content/Waveform.h"

namespace content {

// Drums, cymbals and the noise effects around accents. Each adds one hit into `out` starting at
// `time` seconds; `gain` is linear, `pan` -1 (left) .. 1 (right).
struct Percussion {
    static void Kick(Waveform& out, double time, float gain);
    static void Snare(Waveform& out, double time, float gain);
    static void Clap(Waveform& out, double time, float gain);
    static void HiHat(Waveform& out, double time, float gain, bool open, float pan);
    static void Crash(Waveform& out, double time, float gain);
    static void ReverseCrash(Waveform& out, double end, double length, float gain);
    static void Impact(Waveform& out, double time, float gain);
    static void Riser(Waveform& out, double from, double to, float gain);
    static void Tom(Waveform& out, double time, float note, float gain, float pan);
};

} // namespace content
