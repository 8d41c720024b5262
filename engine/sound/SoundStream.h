#pragma once
// Owns one MP3 stream of the audio library. The destructor does not free it: the owner calls
// Free before the sound system goes away.

#include "platform/win32/Windows.h"
#include "sound/SoundResult.h"

class SoundStream {
  public:
    SoundStream() = default;
    ~SoundStream() = default;
    SoundStream(const SoundStream&) = delete;
    SoundStream& operator=(const SoundStream&) = delete;

    // From a file (`source` is a path in the system's form, "Data\Demo.mp3"; offset and length
    // in bytes select part of the file, length 0 = to its end) or from memory (offset and
    // length must both be 0, else -10; the library is then asked for a memory stream of
    // length 0, which it refuses). A stream already held is freed first.
    SoundResult CreateFromFile(bool fromMemory, const void* source, DWORD offset, DWORD length);
    // Plays from the start; -12 without a stream.
    SoundResult Play(bool loop);
    void Free();
    DWORD GetHandle() const { return handle; }

  private:
    DWORD handle = 0;
};
