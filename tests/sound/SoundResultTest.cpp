#include "sound/SoundResult.h"

#include <gtest/gtest.h>

#include <string>

TEST(DescribeSoundError, GivesTheTextOfEveryCode) {
    const struct {
        SoundResult code;
        const char* text;
    } cases[] = {
        {0, "No error occured.\n"},
        {-1, "Fatal undocumented error occured.\n"},
        {-2, "Sound system already initialized!"},
        {-3, "Default sound device number was not accepted. Do you have a sound device installed?"},
        {-4, "No driver available for the default sound device. Do you have a sound device "
             "installed?"},
        {-5, "The default sound device does not support output at the given sample rate in 16 bit "
             "stereo."},
        {-6, "Out of memory."},
        {-7, "Unknown error reported."},
        {-8, "Sound system not initialized!"},
        {-9, "You tried to use a function that isn't implemented yet ;)"},
        {-10, "When loading a stream file from memory, you can't supply the startOff and useLen "
              "parameters."},
        {-11, "Could not stream the specified file. Does it exist or is it corrupt perhaps?"},
        {-12, "Next time first create a stream before trying to play it, or obtain information "
              "about it."},
        {-13, "Unable to play the stream. Is the sound system properly initialized?"},
        {-14, "Unable to retrieve the channel's attributes."},
        {-15, "Could not set the channel's position."},
        {-16, "Unknown error code.\n"},
        {1, "Unknown error code.\n"},
        {-2147483647 - 1, "Unknown error code.\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::string(DescribeSoundError(c.code)), c.text) << "code " << c.code;
    }
}
