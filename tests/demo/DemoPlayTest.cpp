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
float escapeAt = 1.0f;         // music time at which Escape is pressed

// Renders until `escapeAt` seconds of music have passed (or ten seconds of wall time, should
// the show freeze), then presses Escape.
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
        const bool crossed = seconds >= escapeAt && musicTimes.size() > 1 &&
                             musicTimes[musicTimes.size() - 2] < escapeAt;
        if (crossed || wallTimes.back() > 10.0) {
            PostMessageA(application->GetWindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        return {};
    }
    void Release() override { application = nullptr; }

  private:
    Application* application = nullptr;
};

// A soundtrack shorter than the show does not stop it: the show plays on in silence, its
// clock still the position of what is heard.
TEST(DemoPlay, TheMusicPositionIsTheShowsClock) {
    KeepGLDriverLoaded();
    const struct {
        double musicSeconds;
        float escapeAt;
    } cases[] = {{5.0, 1.0f}, {0.5, 1.5f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.musicSeconds);
        musicTimes.clear();
        wallTimes.clear();
        escapeAt = c.escapeAt;
        const fs::path folder =
            fs::temp_directory_path() / ("vellomire-demo-play-test-" + std::to_string(getpid()));
        fs::create_directories(folder / "Data");
        WriteSilentMp3(folder / "Data" / "Demo.mp3", c.musicSeconds);
        const fs::path previous = fs::current_path();
        fs::current_path(folder);

        const std::vector<SceneEntry> table = {
            {SceneId::schtar, CreateScene<EscapeAfterOneSecond>}};
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
        // Escape goes out with the first frame at or past its time and ends the show there.
        EXPECT_GE(musicTimes.back(), c.escapeAt);
        EXPECT_LT(musicTimes.back(), c.escapeAt + 0.5f);
        // The music time kept pace with the wall clock (a quarter off at most, for a loaded
        // machine's late audio thread): the byte rate matches the stream.
        const double musicSpan = musicTimes.back() - musicTimes.front();
        const double wallSpan = wallTimes.back() - wallTimes.front();
        EXPECT_NEAR(musicSpan, wallSpan, 0.25 * wallSpan);
    }
}

} // namespace
