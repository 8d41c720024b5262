#include "tools/content/Mp3Encoder.h"

#include <algorithm>
#include <lame/lame.h>
#include <memory>

namespace content {

std::vector<std::uint8_t> EncodeMp3(const Waveform& wave, int kbps) {
    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), &lame_close);
    if (!lame) {
        return {};
    }
    lame_set_in_samplerate(lame.get(), wave.sampleRate);
    lame_set_out_samplerate(lame.get(), wave.sampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_brate(lame.get(), kbps);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_quality(lame.get(), 2);
    lame_set_bWriteVbrTag(lame.get(), 1);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) {
        return {};
    }

    std::vector<std::uint8_t> out;
    const std::size_t chunk = 8192;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    for (std::size_t at = 0; at < wave.Frames(); at += chunk) {
        const std::size_t n = std::min(chunk, wave.Frames() - at);
        const int bytes = lame_encode_buffer_ieee_float(
            lame.get(), wave.left.data() + at, wave.right.data() + at, static_cast<int>(n),
            buffer.data(), static_cast<int>(buffer.size()));
        if (bytes < 0) {
            return {};
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
    }
    const int tail = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
    if (tail < 0) {
        return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + tail);

    // LAME reserved the first frame for the tag; fill it in now that the totals are known.
    std::vector<unsigned char> tag(2880);
    const std::size_t tagBytes = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
    if (tagBytes == 0 || tagBytes > out.size()) {
        return {};
    }
    std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tagBytes), out.begin());
    return out;
}

} // namespace content
