#include "sound/SoundSystem.h"
#include "sound/SoundStream.h"
#include "sound/audio/AudioLibrary.h"
#include "support/Mp3Fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char* const warning =
    "Warning: The sound class was already instantiated, keep in mind that Bass is not object "
    "oriented and can only be used by one class at a time.\n";
const char* const freeText =
    "Calling BASS_Free().. this automatically releases all of Bass' resources.\n";

// Debug output written while `action` runs; runs of identical texts would show as
// "(repeated N times)".
template <class Action> std::string DebugOutputOf(Action action) {
    FlushDebugOutput();
    testing::internal::CaptureStderr();
    action();
    FlushDebugOutput();
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST(SoundSystem, ASecondObjectWarnsOnceAndTheCountGoesDownAgain) {
    const int before = SoundSystem::InstanceCount();
    std::unique_ptr<SoundSystem> first;
    EXPECT_EQ(DebugOutputOf([&] { first = std::make_unique<SoundSystem>(); }), "");
    EXPECT_EQ(SoundSystem::InstanceCount(), before + 1);
    std::unique_ptr<SoundSystem> second;
    EXPECT_EQ(DebugOutputOf([&] { second = std::make_unique<SoundSystem>(); }), warning);
    EXPECT_EQ(SoundSystem::InstanceCount(), before + 2);
    EXPECT_EQ(DebugOutputOf([&] { second.reset(); }), "");
    EXPECT_EQ(SoundSystem::InstanceCount(), before + 1);
    first.reset();
    EXPECT_EQ(SoundSystem::InstanceCount(), before);
    EXPECT_EQ(DebugOutputOf([&] { SoundSystem again; }), "");
}

TEST(SoundSystem, ShutdownReportsOnlyWhenInitialised) {
    auto system = std::make_unique<SoundSystem>();
    EXPECT_EQ(DebugOutputOf([&] { system->Shutdown(); }), "");
    ASSERT_EQ(system->Init(44100, nullptr), 0);
    EXPECT_TRUE(system->IsInitialized());
    EXPECT_EQ(DebugOutputOf([&] { system->Shutdown(); }), freeText);
    EXPECT_FALSE(system->IsInitialized());
    EXPECT_EQ(DebugOutputOf([&] { system.reset(); }), "");

    system = std::make_unique<SoundSystem>();
    ASSERT_EQ(system->Init(44100, nullptr), 0);
    EXPECT_EQ(DebugOutputOf([&] { system.reset(); }), freeText);
}

TEST(SoundSystem, InitTwiceGivesMinus2AndChangesNothing) {
    TempFolder folder;
    WriteBytes(folder.File("tone.mp3"), MakeToneMp3({44100, 2, 44100 * 2, false, false}));
    SoundSystem system;
    ASSERT_EQ(system.Init(44100, nullptr), 0);
    SoundStream stream;
    ASSERT_EQ(stream.CreateFromFile(false, folder.File("tone.mp3").c_str(), 0, 0), 0);
    ASSERT_EQ(stream.Play(false), 0);
    EXPECT_EQ(system.Init(22050, nullptr), -2);
    EXPECT_EQ(std::string(DescribeSoundError(-2)), "Sound system already initialized!");
    EXPECT_TRUE(system.IsInitialized());
    EXPECT_TRUE(BASS_ChannelIsActive(stream.GetHandle()));
    EXPECT_EQ(BASS_StreamCount(), 1);
    stream.Free();
}

TEST(SoundSystem, InitWithoutAUsableDriverFails) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SoundSystem system;
    const SoundResult result = system.Init(44100, nullptr);
    EXPECT_TRUE(result == -3 || result == -4) << result;
    EXPECT_FALSE(system.IsInitialized());
    const std::string text = DescribeSoundError(result);
    EXPECT_TRUE(text.ends_with(". Do you have a sound device installed?")) << text;
    EXPECT_EQ(DebugOutputOf([&] { system.Shutdown(); }), "");

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(system.Init(44100, nullptr), 0);
}

TEST(SoundSystem, InitAtAnUnusableFrequencyGivesMinus5) {
    SoundSystem system;
    EXPECT_EQ(system.Init(0, nullptr), -5);
    EXPECT_EQ(system.Init(1000000, nullptr), -5);
    EXPECT_FALSE(system.IsInitialized());
}

// Error numbers outside the mapped ones do not count as a failure.
TEST(SoundSystem, AnUnmappedLibraryErrorStillInitialises) {
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr));
    SoundSystem system;
    EXPECT_EQ(system.Init(44100, nullptr), 0); // the library answers "already"
    EXPECT_TRUE(system.IsInitialized());
}
