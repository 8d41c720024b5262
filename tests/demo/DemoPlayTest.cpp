// The driver on the play host: the music really plays (silently, SDL's dummy audio driver)
// and its position is the clock.

#include "demo/Demo.h"

#include "SilentMp3.h"
#include "platform/Application.h"

#include <gtest/gtest.h>

#include "support/GLDriverLeaks.h"
#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point started;
std::vector<float> musicTimes;
std::vector<double> wallTimes; // seconds since RunDemo was called

// Renders until one second of music has passed, then presses Escape.
class EscapeAfterOneSecond : public Scene {
  public:
    ~EscapeAfterOneSecond() override { Release(); }
    SceneResult Init(Application* app) override {
        application = app;
        return {};
    }
    SceneResult Render(Timer*, float seconds) override {
        musicTimes.push_back(seconds);
        wallTimes.push_back(std::chrono::duration<double>(Clock::now() - started).count());
        if (seconds >= 1.0f && musicTimes.size() > 1 && musicTimes[musicTimes.size() - 2] < 1.0f) {
            PostMessageA(application->GetWindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        return {};
    }
    void Release() override { application = nullptr; }

  private:
    Application* application = nullptr;
};

TEST(DemoPlay, TheMusicPositionIsTheShowsClock) {
    KeepGLDriverLoaded();

    const fs::path folder =
        fs::temp_directory_path() / ("vellomire-demo-play-test-" + std::to_string(getpid()));
    fs::create_directories(folder / "Data");
    WriteSilentMp3(folder / "Data" / "Demo.mp3", 5.0);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);

    const std::vector<SceneEntry> table = {{SceneId::schtar, CreateScene<EscapeAfterOneSecond>}};
    started = Clock::now();
    const int status = RunDemo(table);
    fs::current_path(previous);
    fs::remove_all(folder);

    EXPECT_EQ(status, 0);
    ASSERT_GE(musicTimes.size(), 2u);
    EXPECT_LT(musicTimes.front(), 0.25f);
    for (std::size_t i = 1; i < musicTimes.size(); ++i) {
        ASSERT_GE(musicTimes[i], musicTimes[i - 1]) << "frame " << i;
    }
    // Escape goes out with the first frame at or past one second and ends the show there.
    EXPECT_GE(musicTimes.back(), 1.0f);
    EXPECT_LT(musicTimes.back(), 1.5f);
    // One second of music took about one second: the byte rate matches the stream.
    const double musicSpan = musicTimes.back() - musicTimes.front();
    const double wallSpan = wallTimes.back() - wallTimes.front();
    EXPECT_NEAR(musicSpan, wallSpan, 0.25);
}

} // namespace
