#include "tools/capture/WavFile.h"

#include "sound/audio/Mp3Decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The 44-byte header of a PCM WAV file holding `dataBytes` of 16-bit samples.
std::array<std::uint8_t, 44> WavHeader(int rate, int channels, std::uint32_t dataBytes) {
    std::array<std::uint8_t, 44> header{};
    std::size_t at = 0;
    const auto text = [&](const char* four) {
        std::memcpy(header.data() + at, four, 4);
        at += 4;
    };
    const auto number = [&](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            header[at++] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    };
    const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels) * 2;
    text("RIFF");
    number(36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    number(16, 4);
    number(1, 2); // PCM
    number(static_cast<std::uint32_t>(channels), 2);
    number(static_cast<std::uint32_t>(rate), 4);
    number(static_cast<std::uint32_t>(rate) * frameBytes, 4);
    number(frameBytes, 2);
    number(16, 2);
    text("data");
    number(dataBytes, 4);
    return header;
}

// The sample at a music time; the largest count for a time past any stream's end.
std::uint64_t SampleAt(double seconds, int rate) {
    const double sample = seconds * rate;
    return sample <= 0        ? 0
           : sample >= 0x1p62 ? UINT64_MAX
                              : static_cast<std::uint64_t>(std::llround(sample));
}

} // namespace

bool WriteSoundtrackWav(const std::string& music, const std::string& wav, double startSeconds,
                        double endSeconds, std::string& error) {
    static_assert(std::endian::native == std::endian::little, "WAV samples are little-endian");
    Mp3Decoder::OpenError openError = Mp3Decoder::OpenError::none;
    const std::unique_ptr<Mp3Decoder> decoder =
        Mp3Decoder::OpenFile(music.c_str(), 0, 0, {}, openError);
    if (!decoder) {
        error = "cannot decode the soundtrack " + music;
        return false;
    }
    const std::uint64_t first =
        std::min(SampleAt(startSeconds, decoder->Rate()), decoder->Length());
    const auto frameBytes = static_cast<std::size_t>(decoder->FrameBytes());
    const std::uint64_t largest = first + (UINT32_MAX - 36) / frameBytes; // a WAV's 32-bit sizes
    const std::uint64_t end = std::min(SampleAt(endSeconds, decoder->Rate()), largest);
    if (!decoder->Seek(first)) {
        error = "cannot seek in the soundtrack " + music;
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(wav.c_str(), "wb"),
                                                              &std::fclose);
    if (!out) {
        error = "cannot write " + wav;
        return false;
    }
    // The header is written again at the end, with the count decoded (a damaged stream may
    // end early).
    std::array<std::uint8_t, 44> header = WavHeader(decoder->Rate(), decoder->Channels(), 0);
    std::fwrite(header.data(), 1, header.size(), out.get());
    std::vector<std::uint8_t> block(4096 * frameBytes);
    std::uint64_t written = 0;
    while (first + written < end) {
        const std::size_t got = decoder->Read(
            block.data(),
            static_cast<std::size_t>(std::min<std::uint64_t>(4096, end - first - written)));
        if (got == 0) {
            break;
        }
        std::fwrite(block.data(), frameBytes, got, out.get());
        written += got;
    }
    header = WavHeader(decoder->Rate(), decoder->Channels(),
                       static_cast<std::uint32_t>(written * frameBytes));
    std::rewind(out.get());
    std::fwrite(header.data(), 1, header.size(), out.get());
    if (std::fflush(out.get()) != 0 || std::ferror(out.get()) != 0) {
        error = "cannot write " + wav;
        return false;
    }
    return true;
}
