#pragma once
// Owns the audio library's global initialisation and answers queries about its channels.
// The library has one global state: only one object is meant to exist at a time; a second
// one is allowed but warned about on the debug output.

#include "platform/win32/Windows.h"
#include "sound/SoundResult.h"

class SoundSystem {
  public:
    SoundSystem();
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens the default output at `frequency` Hz, 16-bit stereo. -2 when already initialised.
    SoundResult Init(DWORD frequency, HWND window);
    // Stops output; frees the library when initialised. Safe to call any number of times.
    void Shutdown();

    DWORD GetChannelFlags(DWORD handle);
    // Any of the outputs may be null.
    SoundResult GetChannelAttributes(DWORD handle, DWORD* frequency, DWORD* volume, int* pan);
    // Positions are bytes of the channel's own decoded output.
    SoundResult SetChannelPosition(DWORD handle, DWORD position);
    // 0xFFFFFFFF when the handle is not valid.
    DWORD GetChannelPosition(DWORD handle);

    bool IsInitialized() const { return initialized; }
    // Number of SoundSystem objects alive in the process.
    static int InstanceCount();

  private:
    bool initialized = false;
};
