#include "tools/content/AcidLine.h"

#include "tools/content/SynthBlocks.h"
#include "tools/content/SynthCommon.h"

#include <cmath>

namespace content {

using namespace synth;

void AcidLine(Waveform& out, const std::vector<AcidStep>& steps, float gain, float cutoffHz,
              float resonance) {
    if (steps.empty()) {
        return;
    }
    const double begin = steps.front().time;
    const double end = steps.back().time + steps.back().length + 0.05;
    const std::size_t first = out.FrameAt(begin);
    const std::size_t count = static_cast<std::size_t>((end - begin) * out.sampleRate);
    const float rate = static_cast<float>(out.sampleRate);
    Svf filter;
    float phase = 0, env = 0, pitch = steps.front().note, glideFrom = pitch;
    std::size_t next = 0;
    const AcidStep* current = nullptr;
    double started = begin;
    float level = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = begin + static_cast<double>(n) / out.sampleRate;
        while (next < steps.size() && steps[next].time <= t) {
            current = &steps[next++];
            glideFrom = pitch;
            started = current->time;
            if (!current->slide) {
                env = current->accent ? 1.0f : 0.6f;
            }
        }
        const float since = static_cast<float>(t - started);
        const bool gate = current && since < static_cast<float>(current->length);
        if (current) {
            pitch = current->slide && since < 0.05f
                        ? glideFrom + (current->note - glideFrom) * (since / 0.05f)
                        : current->note;
        }
        level += ((gate ? 1.0f : 0.0f) - level) * 0.01f; // about 2 ms ramps
        env *= 0.99985f;                                 // filter envelope decay (~150 ms)
        if (n % 8 == 0) {
            filter.Set(cutoffHz * (1.0f + 7.0f * env), resonance, rate);
        }
        const float step = NoteHz(pitch) / rate;
        phase = Wrap01(phase + step);
        const float y = std::tanh(2.0f * filter.Run(SawBlep(phase, step))) * level * gain;
        Add(out, first + n, y, y);
    }
}

} // namespace content
