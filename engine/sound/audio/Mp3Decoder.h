#pragma once
// One MP3 bitstream held in memory, decoded by libmpg123: gapless (the encoder's delay and
// padding are cut), sample-exact seeking, the length known in advance (the file is scanned
// when opened). Output is interleaved PCM in the format fixed at opening.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct mpg123_handle_struct;

class Mp3Decoder {
public:
    enum class OpenError { none, format, memory };

    struct Options {
        bool mono = false;     // mix a stereo stream down to one channel
        bool eightBit = false; // unsigned 8-bit samples instead of signed 16-bit native-endian
    };

    // Takes the bytes over. Null with `error` set when they are not a decodable MP3 stream.
    static std::unique_ptr<Mp3Decoder> Open(std::vector<std::uint8_t> bytes, Options options,
                                            OpenError& error);
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    int Rate() const { return rate; }
    int Channels() const { return channels; }
    int BytesPerSample() const { return bytesPerSample; }
    int FrameBytes() const { return channels * bytesPerSample; }
    // In sample frames (one sample per channel).
    std::uint64_t Length() const { return length; }
    std::uint64_t Tell() const { return cursor; }

    // Decodes up to `frames` frames into `out`; fewer (or 0) only at the end of the stream or
    // on a damaged stream, after which the decoder stays at its end.
    std::size_t Read(void* out, std::size_t frames);
    // frame <= Length().
    bool Seek(std::uint64_t frame);

private:
    struct Source {
        std::vector<std::uint8_t> bytes;
        std::size_t offset = 0;
    };

    struct HandleDeleter {
        void operator()(mpg123_handle_struct* h) const;
    };

    Mp3Decoder() = default;

    // Declared before the handle, which reads from it and so must go first.
    std::unique_ptr<Source> source;
    std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle;
    int rate = 0;
    int channels = 0;
    int bytesPerSample = 2;
    std::uint64_t length = 0;
    std::uint64_t cursor = 0;
};
