// Any byte string as "Demo.mp3": the stream is either refused, or it decodes from start to
// end in bounded steps, delivering no more than its length (an estimate at first, which may
// grow) and ending at that length, and seeks back to its start.

#include "FuzzInputFile.h"
#include "sound/audio/AudioLibrary.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path, 0, 0, BASS_MP3_SETPOS);
    if (stream == 0) {
        const int error = BASS_ErrorGetCode();
        if (error != BASS_ERROR_FILEFORM && error != BASS_ERROR_MEM)
            __builtin_trap();
        return 0;
    }
    std::vector<std::uint8_t> buffer(1 << 16);
    DWORD total = 0;
    for (;;) {
        const DWORD got =
            BASS_ChannelGetData(stream, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (got == 0xFFFFFFFFu)
            __builtin_trap();
        if (got == 0)
            break;
        total += got;
        if (total > (1u << 30))
            __builtin_trap();
    }
    const DWORD length = BASS_StreamGetLength(stream);
    if (total > length || BASS_ChannelGetPosition(stream) != length)
        __builtin_trap();
    if (!BASS_ChannelSetPosition(stream, 0) || BASS_ChannelGetPosition(stream) != 0)
        __builtin_trap();
    BASS_StreamFree(stream);
    if (BASS_StreamCount() != 0)
        __builtin_trap();
    return 0;
}
