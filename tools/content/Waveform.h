#pragma once

#include <cstddef>
#include <vector>

namespace content {

// Stereo sound in float samples, nominally -1..1, at `sampleRate` frames per second.
struct Waveform {
    int sampleRate = 44100;
    std::vector<float> left, right;

    Waveform() = default;
    Waveform(int rate, double seconds);
    std::size_t Frames() const { return left.size(); }
    double Seconds() const { return static_cast<double>(left.size()) / sampleRate; }
    // Frame index of a time, clamped to 0.
    std::size_t FrameAt(double seconds) const;

    // Adds `other` scaled by `gain` (same rate and length).
    void Mix(const Waveform& other, float gain);
};

// Largest absolute sample of both channels.
float Peak(const Waveform& wave);
// RMS of both channels over [from, to) seconds, in dBFS (a full-scale sine reads -3 dB).
double RmsDb(const Waveform& wave, double from, double to);
// Integrated loudness in LUFS after ITU-R BS.1770: K-weighting, 400 ms blocks with 75 %
// overlap, absolute gate -70 LUFS, relative gate -10 LU.
double IntegratedLoudness(const Waveform& wave);
// Multiplies every sample by `gain`.
void ApplyGain(Waveform& wave, float gain);
// Look-ahead peak limiter: no sample ends up above `ceiling` (linear); gain reduction ramps
// over `lookahead` seconds on both sides of a peak and recovers with time constant `release`.
void Limit(Waveform& wave, float ceiling, double lookahead, double release);
// Raised-cosine fade to silence over [from, to) seconds; everything after `to` is silent.
void FadeOut(Waveform& wave, double from, double to);

} // namespace content
