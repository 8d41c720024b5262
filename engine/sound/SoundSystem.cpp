#include "sound/SoundSystem.h"

#include "sound/audio/AudioLibrary.h"

namespace {
int instances = 0;
}

SoundSystem::SoundSystem() {
    ++instances;
    if (instances > 1) {
        OutputDebugStringA("Warning: The sound class was already instantiated, keep in mind that "
                           "Bass is not object oriented and can only be used by one class at a "
                           "time.\n");
    }
}

SoundSystem::~SoundSystem() {
    Shutdown();
    --instances;
}

int SoundSystem::InstanceCount() {
    return instances;
}

SoundResult SoundSystem::Init(DWORD frequency, HWND window) {
    if (initialized) {
        return sound_code::alreadyInitialized;
    }
    if (!BASS_Init(-1, frequency, 0, window)) {
        switch (BASS_ErrorGetCode()) {
        case BASS_ERROR_DEVICE:
            return sound_code::deviceNotAccepted;
        case BASS_ERROR_DRIVER:
            return sound_code::noDriver;
        case BASS_ERROR_FORMAT:
            return sound_code::formatNotSupported;
        case BASS_ERROR_MEM:
            return sound_code::outOfMemory;
        case BASS_ERROR_UNKNOWN:
            return sound_code::unknownError;
        default:
            break; // any other error number is not taken as a failure
        }
    }
    BASS_Start();
    initialized = true;
    return sound_code::ok;
}

void SoundSystem::Shutdown() {
    BASS_Stop();
    if (initialized) {
        BASS_Free();
        // Cleared so that a second Shutdown (the destructor's) neither frees nor reports again.
        initialized = false;
        OutputDebugStringA(
            "Calling BASS_Free().. this automatically releases all of Bass' resources.\n");
    }
}

DWORD SoundSystem::GetChannelFlags(DWORD handle) {
    return BASS_ChannelGetFlags(handle);
}

SoundResult SoundSystem::GetChannelAttributes(DWORD handle, DWORD* frequency, DWORD* volume,
                                              int* pan) {
    return BASS_ChannelGetAttributes(handle, frequency, volume, pan) ? sound_code::ok
                                                                     : sound_code::attributesFailed;
}

SoundResult SoundSystem::SetChannelPosition(DWORD handle, DWORD position) {
    return BASS_ChannelSetPosition(handle, position) ? sound_code::ok
                                                     : sound_code::setPositionFailed;
}

DWORD SoundSystem::GetChannelPosition(DWORD handle) {
    return BASS_ChannelGetPosition(handle);
}
