#pragma once
// What the audio library needs of the host's sound: the output device and a converter from a
// stream's own samples to the output's. One implementation per host: SdlAudioOutput.cpp (SDL2
// audio, the device on its own thread) and BrowserAudioOutput.cpp (Web Audio, filled on the
// page's thread between frames).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace audio {

// Fills `frames` frames of interleaved 16-bit stereo. `start` is when the first of them will
// be heard, in nanoseconds of the steady clock (std::chrono::steady_clock).
using OutputFill = void (*)(std::int16_t* samples, std::size_t frames, std::uint64_t start);

// Opens the default output at `rate` frames per second, paused. Returns BASS_OK, or
// BASS_ERROR_DRIVER (no usable driver), BASS_ERROR_DEVICE (no device), BASS_ERROR_MEM.
int OpenOutput(std::uint32_t rate, OutputFill fill);
void PauseOutput(bool paused);
// After it returns, `fill` is not called again.
void CloseOutput();

// A stream's samples (unsigned 8-bit or signed 16-bit native-endian, one or two channels, at
// its rate) in, the output's 16-bit stereo at the output rate out.
class Converter {
  public:
    // Null when out of memory or the format is not one of the above.
    static std::unique_ptr<Converter> Create(int bytesPerSample, int channels, int rate,
                                             int outputRate);
    virtual ~Converter() = default;
    virtual bool Put(const void* samples, int bytes) = 0;
    // Bytes written to `out` (at most `bytes`), or -1 on failure.
    virtual int Get(void* out, int bytes) = 0;
    // Everything put is to come out now, without waiting for more input.
    virtual void Flush() = 0;
    // Drops everything put and not yet taken.
    virtual void Clear() = 0;
    // Bytes ready to be taken.
    virtual int Available() = 0;
};

} // namespace audio
