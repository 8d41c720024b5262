#pragma once
// The synth's building blocks: pitch, filter, noise and band-limited oscillators.

#include <cstdint>

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

} // namespace content
