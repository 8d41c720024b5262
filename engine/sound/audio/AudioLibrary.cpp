#include "sound/audio/AudioLibrary.h"

#include "platform/win32/Host.h"
#include "sound/audio/AudioOutput.h"
#include "sound/audio/HeardClock.h"
#include "sound/audio/Mp3Decoder.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace {

constexpr DWORD badValue = 0xFFFFFFFFu;
constexpr int mixFrames = 1024;     // ~23 ms at 44.1 kHz
constexpr int decodeFrames = 1152;  // one MPEG-1 layer III frame
constexpr int outputFrameBytes = 4; // 16-bit stereo

struct Stream {
    std::unique_ptr<Mp3Decoder> decoder;
    DWORD flags = 0; // creation flags plus BASS_SAMPLE_MONO for a one-channel stream

    // Playback; the device thread reads and changes these under the library's lock.
    std::unique_ptr<audio::Converter> converter; // own format -> output format
    std::vector<std::uint8_t> decoded;
    bool playing = false;
    bool loop = false;
    bool decoderDone = false; // everything decoded and handed to the converter
    std::uint64_t base = 0;   // source frame at which the heard count starts
    HeardClock clock;         // output frames
    std::uint64_t lastReported = 0;
    int volume = 100;
    int pan = 0;

    std::uint64_t LengthBytes() const {
        return decoder->Length() * static_cast<std::uint64_t>(decoder->FrameBytes());
    }
};

struct Library {
    std::mutex lock;
    int error = BASS_OK;
    bool initialized = false;
    bool device = false;    // the output is open
    std::uint32_t rate = 0; // output frames per second
    std::vector<std::int32_t> mix;
    std::vector<std::int16_t> part;
    std::map<DWORD, std::unique_ptr<Stream>> streams;
    DWORD nextHandle = 1;
};

// Never destroyed: a device left open at exit keeps calling back into it.
Library& Lib() {
    static Library* lib = new Library;
    return *lib;
}

std::uint64_t Now() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

BOOL Fail(int code) {
    Lib().error = code;
    return FALSE;
}

BOOL Succeed() {
    Lib().error = BASS_OK;
    return TRUE;
}

// Caller holds the lock.
Stream* Find(DWORD handle) {
    auto& streams = Lib().streams;
    const auto it = streams.find(handle);
    if (it == streams.end()) {
        Lib().error = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return it->second.get();
}

// Fills up to `frames` output frames from the stream; returns how many it had.
std::size_t Fill(Stream& s, std::int16_t* out, std::size_t frames) {
    const int want = static_cast<int>(frames) * outputFrameBytes;
    int got = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(out);
    for (int guard = 0; got < want && guard < 64; ++guard) {
        const int n = s.converter->Get(bytes + got, want - got);
        if (n < 0) {
            break;
        }
        got += n;
        if (got >= want || s.decoderDone) {
            break;
        }
        Mp3Decoder& d = *s.decoder;
        const std::size_t read = d.Read(s.decoded.data(), decodeFrames);
        if (read > 0) {
            s.converter->Put(s.decoded.data(), static_cast<int>(read) * d.FrameBytes());
        } else if (s.loop && d.Seek(0)) {
            continue;
        } else {
            s.converter->Flush();
            s.decoderDone = true;
        }
    }
    if (s.decoderDone && !s.loop && got < want) {
        // Played to its end: silence from here on, heard and counted like the music, so the
        // position goes on rising with the time that passes.
        std::memset(bytes + got, 0, static_cast<std::size_t>(want - got));
        got = want;
    }
    return static_cast<std::size_t>(got / outputFrameBytes);
}

void MixInto(Stream& s, std::int32_t* mix, const std::int16_t* part, std::size_t frames) {
    // Gains in hundredths of hundredths: volume 0..100 times the pan's cut of the far side.
    const int left = s.volume * (s.pan > 0 ? 100 - s.pan : 100);
    const int right = s.volume * (s.pan < 0 ? 100 + s.pan : 100);
    for (std::size_t i = 0; i < frames; ++i) {
        mix[2 * i] += part[2 * i] * left / 10000;
        mix[2 * i + 1] += part[2 * i + 1] * right / 10000;
    }
}

// The output's fill: mixes every playing stream, in pieces of the mix buffer's size.
void DeviceCallback(std::int16_t* samples, std::size_t frames, std::uint64_t start) {
    Library& lib = Lib();
    std::lock_guard guard(lib.lock);
    const std::size_t capacity = lib.mix.size() / 2;
    while (frames > 0) {
        const std::size_t n = std::min(frames, capacity);
        const std::uint64_t now = Now();
        std::fill_n(lib.mix.begin(), 2 * n, 0);
        for (auto& [handle, stream] : lib.streams) {
            Stream& s = *stream;
            if (!s.playing) {
                continue;
            }
            const std::size_t got = Fill(s, lib.part.data(), n);
            MixInto(s, lib.mix.data(), lib.part.data(), got);
            s.clock.Deliver(now, start, got, lib.rate);
        }
        for (std::size_t i = 0; i < 2 * n; ++i) {
            samples[i] = static_cast<std::int16_t>(std::clamp(lib.mix[i], -32768, 32767));
        }
        samples += 2 * n;
        frames -= n;
        start += n * 1000000000ull / lib.rate;
    }
}

// Caller holds the lock. In bytes of the stream's own format.
std::uint64_t Position(Stream& s) {
    const std::uint64_t frameBytes = static_cast<std::uint64_t>(s.decoder->FrameBytes());
    const std::uint64_t length = s.decoder->Length();
    if (host::IsCapture()) {
        const std::uint64_t rate = static_cast<std::uint64_t>(s.decoder->Rate()) * frameBytes;
        return host::VirtualBytes(rate);
    }
    if (!s.playing) {
        return s.decoder->Tell() * frameBytes;
    }
    const std::uint64_t heardOut = s.clock.Heard(Now(), Lib().rate);
    std::uint64_t frame =
        s.base + heardOut * static_cast<std::uint64_t>(s.decoder->Rate()) / Lib().rate;
    if (s.loop) {
        return (frame % length) * frameBytes;
    }
    s.lastReported = std::max(s.lastReported, frame * frameBytes);
    return s.lastReported;
}

// Caller holds the lock. Restarts the heard count at the decoder's position.
void Restart(Stream& s) {
    if (s.converter) {
        s.converter->Clear();
    }
    s.base = s.decoder->Tell();
    s.clock.Reset();
    s.decoderDone = false;
    s.lastReported = s.base * static_cast<std::uint64_t>(s.decoder->FrameBytes());
}

} // namespace

int BASS_ErrorGetCode() {
    return Lib().error;
}

BOOL BASS_Init(int device, DWORD freq, DWORD, HWND) {
    Library& lib = Lib();
    if (lib.initialized) {
        return Fail(BASS_ERROR_ALREADY);
    }
    if (device != -1) {
        return Fail(BASS_ERROR_DEVICE);
    }
    if (freq < 8000 || freq > 192000) {
        return Fail(BASS_ERROR_FORMAT);
    }
    if (host::IsCapture()) {
        lib.rate = freq;
        lib.initialized = true;
        return Succeed();
    }
    try {
        lib.mix.assign(2 * mixFrames, 0);
        lib.part.assign(2 * mixFrames, 0);
    } catch (const std::bad_alloc&) {
        return Fail(BASS_ERROR_MEM);
    }
    {
        std::lock_guard guard(lib.lock);
        lib.rate = freq;
    }
    if (const int error = audio::OpenOutput(freq, DeviceCallback); error != BASS_OK) {
        return Fail(error);
    }
    {
        std::lock_guard guard(lib.lock);
        lib.device = true;
        lib.initialized = true;
    }
    return Succeed();
}

BOOL BASS_Start() {
    Library& lib = Lib();
    if (!lib.initialized) {
        return Fail(BASS_ERROR_INIT);
    }
    if (lib.device) {
        audio::PauseOutput(false);
    }
    return Succeed();
}

BOOL BASS_Stop() {
    Library& lib = Lib();
    if (!lib.initialized) {
        return Fail(BASS_ERROR_INIT);
    }
    if (lib.device) {
        audio::PauseOutput(true);
    }
    return Succeed();
}

void BASS_Free() {
    Library& lib = Lib();
    if (lib.device) {
        audio::CloseOutput();
        lib.device = false;
    }
    std::lock_guard guard(lib.lock);
    lib.streams.clear();
    lib.initialized = false;
    lib.rate = 0;
    lib.error = BASS_OK;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
    Library& lib = Lib();
    if (file == nullptr || (mem && offset != 0)) {
        Fail(BASS_ERROR_ILLPARAM);
        return 0;
    }
    Mp3Decoder::Options options;
    options.mono = (flags & BASS_SAMPLE_MONO) != 0;
    options.eightBit = (flags & BASS_SAMPLE_8BITS) != 0;
    Mp3Decoder::OpenError openError = Mp3Decoder::OpenError::none;
    std::unique_ptr<Mp3Decoder> decoder;
    if (mem) {
        std::vector<std::uint8_t> bytes;
        try {
            const auto* begin = static_cast<const std::uint8_t*>(file);
            bytes.assign(begin, begin + length);
        } catch (const std::bad_alloc&) {
            Fail(BASS_ERROR_MEM);
            return 0;
        }
        decoder = Mp3Decoder::Open(std::move(bytes), options, openError);
    } else {
        decoder = Mp3Decoder::OpenFile(static_cast<const char*>(file), offset, length, options,
                                       openError);
    }
    if (!decoder) {
        Fail(openError == Mp3Decoder::OpenError::memory ? BASS_ERROR_MEM
             : openError == Mp3Decoder::OpenError::file ? BASS_ERROR_FILEOPEN
                                                        : BASS_ERROR_FILEFORM);
        return 0;
    }
    auto stream = std::make_unique<Stream>();
    stream->flags = (flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_MONO | BASS_MP3_SETPOS)) |
                    (decoder->Channels() == 1 ? BASS_SAMPLE_MONO : 0);
    stream->decoded.resize(static_cast<std::size_t>(decodeFrames * decoder->FrameBytes()));
    stream->decoder = std::move(decoder);

    std::lock_guard guard(lib.lock);
    DWORD handle = lib.nextHandle;
    while (handle == 0 || lib.streams.count(handle) != 0) {
        ++handle;
    }
    lib.nextHandle = handle + 1;
    lib.streams.emplace(handle, std::move(stream));
    Succeed();
    return handle;
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
    Library& lib = Lib();
    std::lock_guard guard(lib.lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return FALSE;
    }
    if (!lib.initialized) {
        return Fail(BASS_ERROR_INIT);
    }
    Mp3Decoder& d = *s->decoder;
    if (lib.device && !s->converter) {
        s->converter = audio::Converter::Create(d.BytesPerSample(), d.Channels(), d.Rate(),
                                                static_cast<int>(lib.rate));
        if (!s->converter) {
            return Fail(BASS_ERROR_MEM);
        }
    }
    s->loop = (flags & BASS_SAMPLE_LOOP) != 0;
    if (flush || !s->playing) {
        if (flush) {
            d.Seek(0);
        }
        Restart(*s);
        s->playing = true;
    }
    return Succeed();
}

void BASS_StreamFree(HSTREAM handle) {
    Library& lib = Lib();
    std::unique_ptr<Stream> doomed;
    std::lock_guard guard(lib.lock);
    const auto it = lib.streams.find(handle);
    if (it == lib.streams.end()) {
        Fail(BASS_ERROR_HANDLE);
        return;
    }
    doomed = std::move(it->second);
    lib.streams.erase(it);
    Succeed();
}

DWORD BASS_StreamGetLength(HSTREAM handle) {
    std::lock_guard guard(Lib().lock);
    const Stream* s = Find(handle);
    if (s == nullptr) {
        return badValue;
    }
    Succeed();
    return static_cast<DWORD>(s->LengthBytes());
}

DWORD BASS_ChannelGetFlags(DWORD handle) {
    std::lock_guard guard(Lib().lock);
    const Stream* s = Find(handle);
    if (s == nullptr) {
        return badValue;
    }
    Succeed();
    return s->flags | (s->playing && s->loop ? BASS_SAMPLE_LOOP : 0);
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD* freq, DWORD* volume, int* pan) {
    std::lock_guard guard(Lib().lock);
    const Stream* s = Find(handle);
    if (s == nullptr) {
        return FALSE;
    }
    if (freq != nullptr) {
        *freq = static_cast<DWORD>(s->decoder->Rate());
    }
    if (volume != nullptr) {
        *volume = static_cast<DWORD>(s->volume);
    }
    if (pan != nullptr) {
        *pan = s->pan;
    }
    return Succeed();
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
    std::lock_guard guard(Lib().lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return FALSE;
    }
    if ((freq != -1 && freq != s->decoder->Rate()) || volume < -1 || volume > 100 || pan < -101 ||
        pan > 100) {
        return Fail(BASS_ERROR_ILLPARAM);
    }
    if (volume != -1) {
        s->volume = volume;
    }
    if (pan != -101) {
        s->pan = pan;
    }
    return Succeed();
}

BOOL BASS_ChannelIsActive(DWORD handle) {
    std::lock_guard guard(Lib().lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return FALSE;
    }
    Succeed();
    return s->playing && (s->loop || Position(*s) < s->LengthBytes()) ? TRUE : FALSE;
}

BOOL BASS_ChannelSetPosition(DWORD handle, DWORD pos) {
    std::lock_guard guard(Lib().lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return FALSE;
    }
    const auto frameBytes = static_cast<DWORD>(s->decoder->FrameBytes());
    if (pos > s->LengthBytes() || !s->decoder->Seek(pos / frameBytes)) {
        return Fail(BASS_ERROR_POSITION);
    }
    if (s->playing) {
        Restart(*s);
    }
    return Succeed();
}

DWORD BASS_ChannelGetPosition(DWORD handle) {
    std::lock_guard guard(Lib().lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return badValue;
    }
    Succeed();
    return static_cast<DWORD>(Position(*s));
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
    std::lock_guard guard(Lib().lock);
    Stream* s = Find(handle);
    if (s == nullptr) {
        return badValue;
    }
    if (s->playing || buffer == nullptr) {
        Fail(BASS_ERROR_NOTAVAIL);
        return badValue;
    }
    Mp3Decoder& d = *s->decoder;
    const std::size_t frames = d.Read(buffer, length / static_cast<DWORD>(d.FrameBytes()));
    Succeed();
    return static_cast<DWORD>(frames * static_cast<std::size_t>(d.FrameBytes()));
}

int BASS_StreamCount() {
    std::lock_guard guard(Lib().lock);
    return static_cast<int>(Lib().streams.size());
}
