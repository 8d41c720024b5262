#pragma once

#include "tools/content/Waveform.h"

#include <cstdint>
#include <vector>

namespace content {

// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz).
float NoteHz(float note);

// Topology-preserving state-variable filter (low, band and high outputs at once).
class Svf {
  public:
    void Set(float cutoffHz, float q, float sampleRate);
    // Returns the low-pass output; band and high are left in the members.
    float Run(float x);
    float band = 0, high = 0;

  private:
    float a1 = 0, a2 = 0, a3 = 0, k = 1;
    float ic1 = 0, ic2 = 0;
};

// White noise, -1..1, deterministic.
class Noise {
  public:
    explicit Noise(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}
    float Next();

  private:
    std::uint32_t state;
};

// Band-limited sawtooth (polyBLEP), phase 0..1.
float SawBlep(float phase, float step);
// Band-limited square with duty 0.5.
float SquareBlep(float phase, float step);

// Removes what lies below `cutoffHz` (12 dB per octave), in place.
void HighPass(Waveform& bus, float cutoffHz);

// Stereo send effects, processed over a whole bus in place.
void PingPongDelay(Waveform& bus, double delaySeconds, float feedback, float wet, float dampHz);
// Schroeder-Moorer style reverb (eight damped combs and four allpasses per side); `size`
// 0..1 sets the decay, `wet` the mix of the reverberated sound.
void Reverb(Waveform& bus, float size, float damping, float wet);
// Gain that dips to (1 - depth) at every trigger and recovers over `recover` seconds
// ("side-chain" pumping under the kick drum).
void Duck(Waveform& bus, const std::vector<double>& triggers, float depth, double recover);

// Instruments. Each adds one note into `out` starting at `time` seconds; `gain` is linear,
// `pan` -1 (left) .. 1 (right).
struct Instruments {
    static void Kick(Waveform& out, double time, float gain);
    static void Snare(Waveform& out, double time, float gain);
    static void Clap(Waveform& out, double time, float gain);
    static void HiHat(Waveform& out, double time, float gain, bool open, float pan);
    static void Crash(Waveform& out, double time, float gain);
    static void ReverseCrash(Waveform& out, double end, double length, float gain);
    static void Impact(Waveform& out, double time, float gain);
    static void Riser(Waveform& out, double from, double to, float gain);
    static void Tom(Waveform& out, double time, float note, float gain, float pan);

    // Pitched voices; `length` in seconds is the held part before the release.
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

// A monophonic acid line: one resonant filtered saw across the given steps, with slides.
struct AcidStep {
    double time;
    double length;
    float note;
    bool accent;
    bool slide; // glide into this note from the previous one
};
void AcidLine(Waveform& out, const std::vector<AcidStep>& steps, float gain, float cutoffHz,
              float resonance);

} // namespace content
