#include "support/Mp3Fixture.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

void Quiet(const char*, va_list) {}

// ID3v2.3 tag with a title frame and some padding.
std::vector<std::uint8_t> Id3Tag() {
    const std::string title = "Vellomire test tone";
    std::vector<std::uint8_t> frame = {'T', 'I', 'T', '2'};
    const std::uint32_t frameSize = static_cast<std::uint32_t>(title.size() + 1);
    for (int shift = 24; shift >= 0; shift -= 8) {
        frame.push_back(static_cast<std::uint8_t>(frameSize >> shift));
    }
    frame.insert(frame.end(), {0, 0, 0}); // flags, then text encoding ISO-8859-1
    frame.insert(frame.end(), title.begin(), title.end());
    frame.resize(frame.size() + 64, 0); // padding

    const std::uint32_t size = static_cast<std::uint32_t>(frame.size());
    std::vector<std::uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
    for (int shift = 21; shift >= 0; shift -= 7) { // sync-safe: 7 bits per byte
        tag.push_back(static_cast<std::uint8_t>((size >> shift) & 0x7F));
    }
    tag.insert(tag.end(), frame.begin(), frame.end());
    return tag;
}

} // namespace

std::vector<std::int16_t> ToneSamples(const ToneSpec& spec) {
    std::vector<std::int16_t> pcm(spec.frames * static_cast<std::uint64_t>(spec.channels));
    const double pi = 3.14159265358979323846;
    for (std::uint64_t i = 0; i < spec.frames; ++i) {
        const double t = static_cast<double>(i) / spec.rate;
        for (int c = 0; c < spec.channels; ++c) {
            const double f = c == 0 ? 440.0 : 660.0;
            pcm[i * static_cast<std::uint64_t>(spec.channels) + static_cast<std::uint64_t>(c)] =
                static_cast<std::int16_t>(std::lround(16000.0 * std::sin(2 * pi * f * t)));
        }
    }
    return pcm;
}

std::vector<std::uint8_t> MakeToneMp3(const ToneSpec& spec) {
    lame_global_flags* lame = lame_init();
    if (lame == nullptr) {
        throw std::runtime_error("lame_init failed");
    }
    lame_set_errorf(lame, Quiet);
    lame_set_debugf(lame, Quiet);
    lame_set_msgf(lame, Quiet);
    lame_set_in_samplerate(lame, spec.rate);
    lame_set_out_samplerate(lame, spec.rate);
    lame_set_num_channels(lame, spec.channels);
    lame_set_mode(lame, spec.channels == 1 ? MONO : JOINT_STEREO);
    if (spec.vbr) {
        lame_set_VBR(lame, vbr_default);
        lame_set_VBR_quality(lame, 4.0f);
    } else {
        lame_set_brate(lame, spec.channels == 1 ? 64 : 128);
    }
    lame_set_free_format(lame, spec.freeFormat ? 1 : 0);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_init_params failed");
    }

    std::vector<std::int16_t> pcm = ToneSamples(spec);
    std::vector<std::uint8_t> out = spec.id3 ? Id3Tag() : std::vector<std::uint8_t>{};
    const std::size_t audioStart = out.size();

    constexpr int block = 4096;
    std::vector<unsigned char> buffer(block * 5 / 4 + 7200);
    for (std::uint64_t done = 0; done < spec.frames;) {
        const int n = static_cast<int>(std::min<std::uint64_t>(block, spec.frames - done));
        short* at = pcm.data() + done * static_cast<std::uint64_t>(spec.channels);
        const int bytes = spec.channels == 1
                              ? lame_encode_buffer(lame, at, at, n, buffer.data(),
                                                   static_cast<int>(buffer.size()))
                              : lame_encode_buffer_interleaved(lame, at, n, buffer.data(),
                                                               static_cast<int>(buffer.size()));
        if (bytes < 0) {
            lame_close(lame);
            throw std::runtime_error("lame_encode_buffer failed");
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
        done += static_cast<std::uint64_t>(n);
    }
    const int tail = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    if (tail > 0) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + tail);
    }
    // The first audio frame is a placeholder for the tag that records the encoder's delay and
    // padding; it can only be written now.
    std::vector<unsigned char> tag(4096);
    const std::size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
    if (tagSize > 0 && tagSize <= tag.size() && audioStart + tagSize <= out.size()) {
        std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tagSize),
                  out.begin() + static_cast<std::ptrdiff_t>(audioStart));
    }
    lame_close(lame);
    return out;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vellomire-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
