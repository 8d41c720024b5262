// Real-time playback through SDL's dummy audio driver (set by the test runner).
#include "sound/SoundStream.h"
#include "sound/SoundSystem.h"
#include "sound/audio/AudioLibrary.h"
#include "support/Mp3Fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

class PlaybackTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(system.Init(44100, nullptr), 0); }
    void TearDown() override { stream.Free(); }

    void Create(const ToneSpec& spec) {
        WriteBytes(folder.File("tone.mp3"), MakeToneMp3(spec));
        ASSERT_EQ(stream.CreateFromFile(false, folder.File("tone.mp3").c_str(), 0, 0), 0);
        length = BASS_StreamGetLength(stream.GetHandle());
    }

    TempFolder folder;
    SoundSystem system;
    SoundStream stream;
    DWORD length = 0;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

// What is heard can never be ahead of the time since play started, never goes back, and
// rises smoothly: between two reads it moves no further than real time did (a count kept per
// device buffer would jump ~23 ms at once).
TEST_F(PlaybackTest, PositionRisesSmoothlyAndNotAheadOfTime) {
    Create({44100, 2, 44100 * 10, false, false});
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(stream.Play(false), 0);
    ASSERT_EQ(system.SetChannelPosition(stream.GetHandle(), 0), 0);
    DWORD last = 0;
    Clock::time_point lastReadStart = start;
    while (SecondsSince(start) < 0.6) {
        const Clock::time_point readStart = Clock::now();
        const DWORD position = system.GetChannelPosition(stream.GetHandle());
        const double sinceLast = SecondsSince(lastReadStart);
        ASSERT_GE(position, last);
        ASSERT_LE(position - last, sinceLast * 176400.0 + 8);
        ASSERT_LE(position, SecondsSince(start) * 176400.0 + 4);
        ASSERT_EQ(position % 4, 0u);
        last = position;
        lastReadStart = readStart;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GT(last, 0u);
}

TEST_F(PlaybackTest, SettingThePositionToZeroRestarts) {
    Create({44100, 2, 44100 * 10, false, false});
    ASSERT_EQ(stream.Play(false), 0);
    while (system.GetChannelPosition(stream.GetHandle()) < 176400 / 4) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const Clock::time_point restart = Clock::now();
    ASSERT_EQ(system.SetChannelPosition(stream.GetHandle(), 0), 0);
    const DWORD after = system.GetChannelPosition(stream.GetHandle());
    EXPECT_LE(after, SecondsSince(restart) * 176400.0 + 4);
}

// Streams of another rate or layout are converted for output; positions stay in their own
// bytes, reach their length when the music has been heard, then go on rising with the silence
// that follows, in real time.
TEST_F(PlaybackTest, StreamsPlayToTheirEndThenOnInSilence) {
    const ToneSpec specs[] = {{44100, 2, 11025, false, false},
                              {22050, 1, 6000, false, false},
                              {48000, 2, 12000, true, true}};
    for (const ToneSpec& spec : specs) {
        SCOPED_TRACE(spec.rate);
        Create(spec);
        const double byteRate = spec.rate * spec.channels * 2.0;
        const Clock::time_point start = Clock::now();
        ASSERT_EQ(stream.Play(false), 0);
        DWORD last = 0;
        while (BASS_ChannelIsActive(stream.GetHandle()) && SecondsSince(start) < 10) {
            const DWORD position = system.GetChannelPosition(stream.GetHandle());
            ASSERT_GE(position, last);
            ASSERT_LE(position, SecondsSince(start) * byteRate + 4);
            last = position;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_GE(SecondsSince(start), static_cast<double>(length) / byteRate - 0.01);
        const DWORD atEnd = system.GetChannelPosition(stream.GetHandle());
        EXPECT_GE(atEnd, length);
        const Clock::time_point endSeen = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const DWORD later = system.GetChannelPosition(stream.GetHandle());
        EXPECT_NEAR(static_cast<double>(later - atEnd) / byteRate, SecondsSince(endSeen), 0.06);
        EXPECT_FALSE(BASS_ChannelIsActive(stream.GetHandle()));
        stream.Free();
    }
}

TEST_F(PlaybackTest, LoopingStartsAgainAtTheEnd) {
    Create({44100, 2, 4410, false, false});
    ASSERT_EQ(stream.Play(true), 0);
    EXPECT_NE(system.GetChannelFlags(stream.GetHandle()) & BASS_SAMPLE_LOOP, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    EXPECT_TRUE(BASS_ChannelIsActive(stream.GetHandle()));
    EXPECT_LT(system.GetChannelPosition(stream.GetHandle()), length);
}

TEST_F(PlaybackTest, FreeingTheSystemFreesItsStreams) {
    Create({44100, 2, 44100, false, false});
    ASSERT_EQ(stream.Play(false), 0);
    system.Shutdown();
    EXPECT_EQ(BASS_StreamCount(), 0);
    EXPECT_EQ(system.GetChannelPosition(stream.GetHandle()), 0xFFFFFFFFu);
}
