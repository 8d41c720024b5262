// Capture host: positions follow the virtual clock and no device is opened.
#include "platform/win32/Host.h"
#include "sound/SoundStream.h"
#include "sound/SoundSystem.h"
#include "sound/audio/AudioLibrary.h"
#include "support/Mp3Fixture.h"

#include <SDL.h>
#include <gtest/gtest.h>

// Past the stream's end the position goes on with the virtual time, as silence would be heard.
TEST(VirtualClock, PositionIsVirtualTimeTimesByteRate) {
    host::CaptureSettings settings;
    settings.fpsNumerator = 60;
    settings.fpsDenominator = 1;
    host::EnterCapture(settings);

    TempFolder folder;
    WriteBytes(folder.File("tone.mp3"), MakeToneMp3({44100, 2, 44100 * 15, false, false}));
    SoundSystem system;
    ASSERT_EQ(system.Init(44100, nullptr), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    SoundStream stream;
    ASSERT_EQ(stream.CreateFromFile(false, folder.File("tone.mp3").c_str(), 0, 0), 0);
    ASSERT_EQ(stream.Play(false), 0);
    ASSERT_EQ(system.SetChannelPosition(stream.GetHandle(), 0), 0);

    EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), 0u);
    host::SetVirtualFrame(750); // 12.5 s
    EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), 2205000u);
    host::SetVirtualFrame(60 * 16);
    EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), 44100u * 16 * 4);
    host::SetVirtualFrame(60 * 300);
    EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), 44100u * 300 * 4);
    stream.Free();
}
