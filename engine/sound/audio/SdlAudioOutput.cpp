// The audio library's output over SDL2 audio: one device opened with the output's exact format
// (SDL converts behind it to what the hardware needs), filled on SDL's audio thread, each
// buffer given its start by a DeviceSchedule. SDL_AudioStream converts streams.

#include "sound/audio/AudioLibrary.h"
#include "sound/audio/AudioOutput.h"
#include "sound/audio/HeardClock.h"

#include <SDL.h>

#include <chrono>

namespace {

constexpr int deviceFrames = 1024; // ~23 ms at 44.1 kHz
constexpr int outputFrameBytes = 4;

struct Device {
    SDL_AudioDeviceID id = 0;
    std::uint32_t rate = 0;
    audio::OutputFill fill = nullptr;
    DeviceSchedule schedule; // touched by the device thread only, once open
};

Device device;

std::uint64_t Now() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

void Callback(void*, Uint8* out, int length) {
    const auto frames = static_cast<std::uint64_t>(length / outputFrameBytes);
    const std::uint64_t start = device.schedule.Take(Now(), frames, device.rate);
    device.fill(reinterpret_cast<std::int16_t*>(out), frames, start);
}

class SdlConverter final : public audio::Converter {
  public:
    explicit SdlConverter(SDL_AudioStream* s) : stream(s) {}
    ~SdlConverter() override { SDL_FreeAudioStream(stream); }
    SdlConverter(const SdlConverter&) = delete;
    SdlConverter& operator=(const SdlConverter&) = delete;

    bool Put(const void* samples, int bytes) override {
        return SDL_AudioStreamPut(stream, samples, bytes) == 0;
    }
    int Get(void* out, int bytes) override { return SDL_AudioStreamGet(stream, out, bytes); }
    void Flush() override { SDL_AudioStreamFlush(stream); }
    void Clear() override { SDL_AudioStreamClear(stream); }
    int Available() override { return SDL_AudioStreamAvailable(stream); }

  private:
    SDL_AudioStream* stream;
};

} // namespace

namespace audio {

int OpenOutput(std::uint32_t rate, OutputFill fill) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return BASS_ERROR_DRIVER;
    }
    device.rate = rate;
    device.fill = fill;
    device.schedule.Reset();
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(rate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = deviceFrames;
    want.callback = Callback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware needs behind the device.
    device.id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device.id == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return BASS_ERROR_DEVICE;
    }
    return BASS_OK;
}

void PauseOutput(bool paused) {
    if (device.id != 0) {
        SDL_PauseAudioDevice(device.id, paused ? 1 : 0);
    }
}

void CloseOutput() {
    if (device.id != 0) {
        SDL_CloseAudioDevice(device.id); // waits for the device thread to finish
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        device.id = 0;
    }
}

std::unique_ptr<Converter> Converter::Create(int bytesPerSample, int channels, int rate,
                                             int outputRate) {
    const SDL_AudioFormat format = bytesPerSample == 1 ? AUDIO_U8 : AUDIO_S16SYS;
    SDL_AudioStream* stream =
        SDL_NewAudioStream(format, static_cast<Uint8>(channels), rate, AUDIO_S16SYS, 2, outputRate);
    if (stream == nullptr) {
        return nullptr;
    }
    return std::make_unique<SdlConverter>(stream);
}

} // namespace audio
