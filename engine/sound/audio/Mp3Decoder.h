#pragma once
// One MP3 bitstream, read as it is decoded from a file (through the Windows-services file
// calls) or held in memory, decoded by libmpg123: gapless (the encoder's delay and padding are
// cut), sample-exact seeking, the length known in advance (the stream is scanned when opened).
// Damaged parts are skipped: decoding picks up again at the next good frame. Output is
// interleaved PCM in the format fixed at opening; frames at another sample rate are resampled
// to it, so a stream whose rate changes part-way still plays at the right speed.
// Not MPEG audio: refused at opening (the first frame must start within 65,535 bytes after
// any ID3v2 tag).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct mpg123_handle_struct;

class Mp3Decoder {
  public:
    enum class OpenError { none, file, format, memory };

    struct Options {
        bool mono = false;     // mix a stereo stream down to one channel
        bool eightBit = false; // unsigned 8-bit samples instead of signed 16-bit native-endian
    };

    // Takes the bytes over. Null with `error` set when they are not a decodable MP3 stream.
    static std::unique_ptr<Mp3Decoder> Open(std::vector<std::uint8_t> bytes, Options options,
                                            OpenError& error);
    // `length` bytes of the file from `offset` on (0: to its end); the file stays open.
    static std::unique_ptr<Mp3Decoder> OpenFile(const char* path, std::uint64_t offset,
                                                std::uint64_t length, Options options,
                                                OpenError& error);
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    int Rate() const { return rate; }
    int Channels() const { return channels; }
    int BytesPerSample() const { return bytesPerSample; }
    int FrameBytes() const { return channels * bytesPerSample; }
    // In sample frames (one sample per channel), as decoded (and resampled) from the start.
    std::uint64_t Length() const { return length; }
    std::uint64_t Tell() const { return cursor; }

    // Decodes up to `frames` frames into `out`; fewer (or 0) only at the end of the stream or
    // on a damaged stream, after which the decoder stays at its end.
    std::size_t Read(void* out, std::size_t frames);
    // frame <= Length(). Sample-exact; in a stream whose rate changes part-way it decodes
    // from the start up to the frame.
    bool Seek(std::uint64_t frame);

  private:
    struct Source;
    struct SourceDeleter {
        void operator()(Source* s) const;
    };

    struct HandleDeleter {
        void operator()(mpg123_handle_struct* h) const;
    };

    Mp3Decoder() = default;
    static std::unique_ptr<Mp3Decoder> Start(std::unique_ptr<Source, SourceDeleter> source,
                                             Options options, OpenError& error);
    // Opens the stream again at its start: after a change of rate, seeking in libmpg123 leaves
    // its resampler in another state than a fresh start does.
    bool Restart();
    // Decodes and drops up to `frames` frames; how many there were.
    std::uint64_t Skip(std::uint64_t frames);

    // Declared before the handle, which reads from it and so must go first.
    std::unique_ptr<Source, SourceDeleter> source;
    std::unique_ptr<mpg123_handle_struct, HandleDeleter> handle;
    int rate = 0;
    int channels = 0;
    int bytesPerSample = 2;
    std::uint64_t length = 0;
    std::uint64_t cursor = 0;
    bool rateChanges = false; // some frames are resampled to the first frame's rate
};
