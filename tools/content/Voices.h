#pragma once

#include "tools/content/Waveform.h"

#include <vector>

namespace content {

// Pitched voices. Each adds one note (or chord) into `out` starting at `time` seconds; `length`
// in seconds is the held part before the release; `gain` is linear, `pan` -1 (left) .. 1
// (right).
struct Voices {
    static void Bass(Waveform& out, double time, double length, float note, float gain,
                     float brightness);
    static void Pad(Waveform& out, double time, double length, const std::vector<float>& notes,
                    float gain, float brightness);
    static void Stab(Waveform& out, double time, const std::vector<float>& notes, float gain,
                     float brightness);
    static void Pluck(Waveform& out, double time, float note, float gain, float pan,
                      float brightness);
    static void Lead(Waveform& out, double time, double length, float note, float gain,
                     float fromNote);
    static void Bell(Waveform& out, double time, float note, float gain, float pan);
    // A held chord whose low-pass filter opens from 200 Hz to 8 kHz over [from, to).
    static void Sweep(Waveform& out, double from, double to, const std::vector<float>& notes,
                      float gain);
};

} // namespace content
