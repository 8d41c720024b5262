#pragma once
// Effects over a whole bus, in place.

#include "tools/content/Waveform.h"

#include <vector>

namespace content {

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

} // namespace content
