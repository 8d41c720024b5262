#pragma once

#include "tools/content/Waveform.h"

#include <vector>

namespace content {

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
