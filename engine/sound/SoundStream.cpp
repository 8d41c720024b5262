#include "sound/SoundStream.h"

#include "sound/audio/AudioLibrary.h"

SoundResult SoundStream::CreateFromFile(bool fromMemory, const void* source, DWORD offset,
                                        DWORD length) {
    if (fromMemory && (offset != 0 || length != 0)) {
        return sound_code::memoryWithRange;
    }
    Free();
    handle =
        BASS_StreamCreateFile(fromMemory ? TRUE : FALSE, source, offset, length, BASS_MP3_SETPOS);
    return handle == 0 ? sound_code::streamCreateFailed : sound_code::ok;
}

SoundResult SoundStream::Play(bool loop) {
    if (handle == 0) {
        return sound_code::noStream;
    }
    return BASS_StreamPlay(handle, TRUE, loop ? BASS_SAMPLE_LOOP : 0) ? sound_code::ok
                                                                      : sound_code::playFailed;
}

void SoundStream::Free() {
    if (handle != 0) {
        BASS_StreamFree(handle);
        handle = 0;
    }
}
