#pragma once

#include "tools/content/Waveform.h"

#include <cstdint>
#include <vector>

namespace content {

// MPEG-1 Layer III at a constant bit rate (kbit/s) through LAME, joint stereo, with LAME's
// "Info" tag in the first frame (encoder delay and padding, so decoders can play it
// gaplessly). No ID3 tags. Empty on failure.
std::vector<std::uint8_t> EncodeMp3(const Waveform& wave, int kbps);

} // namespace content
