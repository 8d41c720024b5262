#include "sound/SoundResult.h"

const char* DescribeSoundError(SoundResult code) {
    switch (code) {
    case 0:
        return "No error occured.\n";
    case -1:
        return "Fatal undocumented error occured.\n";
    case -2:
        return "Sound system already initialized!";
    case -3:
        return "Default sound device number was not accepted. Do you have a sound device "
               "installed?";
    case -4:
        return "No driver available for the default sound device. Do you have a sound device "
               "installed?";
    case -5:
        return "The default sound device does not support output at the given sample rate in 16 "
               "bit stereo.";
    case -6:
        return "Out of memory.";
    case -7:
        return "Unknown error reported.";
    case -8:
        return "Sound system not initialized!";
    case -9:
        return "You tried to use a function that isn't implemented yet ;)";
    case -10:
        return "When loading a stream file from memory, you can't supply the startOff and useLen "
               "parameters.";
    case -11:
        return "Could not stream the specified file. Does it exist or is it corrupt perhaps?";
    case -12:
        return "Next time first create a stream before trying to play it, or obtain information "
               "about it.";
    case -13:
        return "Unable to play the stream. Is the sound system properly initialized?";
    case -14:
        return "Unable to retrieve the channel's attributes.";
    case -15:
        return "Could not set the channel's position.";
    default:
        return "Unknown error code.\n";
    }
}
