// The driver run end to end on the capture host (virtual clock, one second of music per
// frame, nothing played), with probe scenes in place of the show's.

#include "demo/Demo.h"

#include "SilentMp3.h"
#include "platform/Application.h"
#include "platform/win32/Host.h"

#include <gtest/gtest.h>

#include "support/GLDriverLeaks.h"
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class Action { none, failInit, failRender, pressEscape, releaseApplication };

struct Behaviour {
    Action action = Action::none;
    float at = 0.0f; // music time from which a Render action happens
};

const char* const names[sceneIdCount] = {"Test",       "Polez", "Schtar", "Stekelz",
                                         "ZwartEnWit", "Wendo", "Marble"};
const char* const failureCaptions[sceneIdCount] = {
    "Test (Scene): Tried to load mesh: Data\\Probe.msh",
    "Polez (Scene): Tried to load texture: Data\\Chess.jpg",
    "Schtar (Scene)",
    "Stekelz (Scene)",
    "ZwartEnWit (Scene)",
    "Wendo (Scene)",
    "Marble (Scene)"};
constexpr const char* probeFailure = "The probe failed on purpose.";

Behaviour behaviours[sceneIdCount];
std::vector<std::string> events;
std::string renders; // runs of frames, "Schtar 0-12, Stekelz 13-51"

void NoteRender(SceneId id, float seconds) {
    static SceneId lastId;
    static float last;
    const int second = static_cast<int>(seconds);
    const bool continues = !renders.empty() && lastId == id && last + 1.0f == seconds;
    if (continues) {
        renders.erase(renders.rfind('-'));
    } else {
        renders += std::string(renders.empty() ? "" : ", ") + names[static_cast<int>(id)] + " " +
                   std::to_string(second);
    }
    renders += "-" + std::to_string(second);
    lastId = id;
    last = seconds;
}

class Probe : public Scene {
  public:
    explicit Probe(SceneId which) : id(which), name(names[static_cast<int>(which)]) {
        events.push_back(name + " constructed");
    }
    ~Probe() override {
        Release();
        // The destructor must run while the application still exists.
        const bool window = application != nullptr && application->GetWindowHandle() != nullptr;
        events.push_back(name + " destroyed" + (window ? " with the window open" : ""));
        OutputDebugStringA((name + " destroyed\n").c_str());
    }

    SceneResult Init(Application* app) override {
        events.push_back(name + " initialised");
        application = app;
        if (Do().action == Action::failInit) {
            return {probeFailure, failureCaptions[static_cast<int>(id)]};
        }
        return {};
    }

    SceneResult Render(Timer* timer, float seconds) override {
        EXPECT_NE(timer, nullptr);
        NoteRender(id, seconds);
        if (Do().action == Action::none || seconds < Do().at) {
            return {};
        }
        switch (Do().action) {
        case Action::failRender:
            return {probeFailure, failureCaptions[static_cast<int>(id)]};
        case Action::pressEscape:
            PostMessageA(application->GetWindowHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
            break;
        case Action::releaseApplication:
            application->Release();
            break;
        default:
            break;
        }
        return {};
    }

    void Release() override {}

  private:
    const Behaviour& Do() const { return behaviours[static_cast<int>(id)]; }

    SceneId id;
    std::string name;
    Application* application = nullptr;
};

template <SceneId id> Scene* CreateProbe() {
    return new Probe(id);
}

const std::vector<SceneEntry> allProbes = {
    {SceneId::test, CreateProbe<SceneId::test>},
    {SceneId::polez, CreateProbe<SceneId::polez>},
    {SceneId::schtar, CreateProbe<SceneId::schtar>},
    {SceneId::stekelz, CreateProbe<SceneId::stekelz>},
    {SceneId::zwartEnWit, CreateProbe<SceneId::zwartEnWit>},
    {SceneId::wendo, CreateProbe<SceneId::wendo>},
    {SceneId::marble, CreateProbe<SceneId::marble>},
};

// Each text must occur after the previous one.
void ExpectInOrder(const std::string& transcript, const std::vector<std::string>& texts) {
    std::size_t from = 0;
    for (const std::string& text : texts) {
        const std::size_t at = transcript.find(text, from);
        ASSERT_NE(at, std::string::npos) << "'" << text << "' missing or out of order in:\n"
                                         << transcript;
        from = at + text.size();
    }
}

class DemoRun : public testing::Test {
  protected:
    static void SetUpTestSuite() { KeepGLDriverLoaded(); }

    void SetUp() override {
        folder = fs::temp_directory_path() / ("vellomire-demo-test-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "Data");
        previousFolder = fs::current_path();
        fs::current_path(folder);

        host::CaptureSettings settings;
        settings.fpsNumerator = 1;
        host::EnterCapture(settings);
        host::SetPresentHook([] { host::SetVirtualFrame(host::VirtualFrame() + 1); });
        Reset();
    }

    // Back to the start of the music with well-behaved probes and empty records.
    void Reset() {
        host::SetVirtualFrame(0);
        for (Behaviour& behaviour : behaviours) {
            behaviour = {};
        }
        events.clear();
        renders.clear();
    }

    void TearDown() override {
        host::SetPresentHook(nullptr);
        fs::current_path(previousFolder);
        fs::remove_all(folder);
    }

    void WriteMusic(double seconds) { WriteSilentMp3(folder / "Data" / "Demo.mp3", seconds); }

    int Run(const std::vector<SceneEntry>& table) {
        FlushDebugOutput(); // each run's texts stand alone, not folded into the last run's
        testing::internal::CaptureStderr();
        const int status = RunDemo(table);
        transcript = testing::internal::GetCapturedStderr();
        return status;
    }

    void ExpectNoMessageBox() const {
        EXPECT_EQ(transcript.find(probeFailure), std::string::npos) << transcript;
        EXPECT_EQ(transcript.find("Tried to"), std::string::npos) << transcript;
        EXPECT_EQ(transcript.find("Error while"), std::string::npos) << transcript;
    }

    fs::path folder;
    fs::path previousFolder;
    std::string transcript;
};

TEST_F(DemoRun, TheShowFollowsTheTimelineAndEndsAfter203Seconds) {
    WriteMusic(205.0);
    EXPECT_EQ(Run(allProbes), 0);
    EXPECT_EQ(renders, "Schtar 0-12, Stekelz 13-51, Schtar 52-66, Polez 67-79, ZwartEnWit 80-105, "
                       "Test 106-131, Wendo 132-157, Marble 158-203");
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "Marble destroyed with the window open");
    ExpectNoMessageBox();
}

TEST_F(DemoRun, EndsWithoutAMessageWhenClosedOrWhenTheTimelineNamesAMissingScene) {
    WriteMusic(20.0);
    behaviours[static_cast<int>(SceneId::schtar)] = {Action::pressEscape, 3.0f};
    EXPECT_EQ(Run(allProbes), 0);
    EXPECT_EQ(renders, "Schtar 0-3");
    ExpectNoMessageBox();

    Reset();
    EXPECT_EQ(Run({{SceneId::schtar, CreateProbe<SceneId::schtar>}}), 0);
    EXPECT_EQ(renders, "Schtar 0-12");
    EXPECT_EQ(events, (std::vector<std::string>{"Schtar constructed", "Schtar initialised",
                                                "Schtar destroyed with the window open"}));
    ExpectNoMessageBox();
}

TEST_F(DemoRun, AFailingSceneInitStopsStartUpAndIsShownAfterEverythingIsReleased) {
    WriteMusic(20.0);
    behaviours[static_cast<int>(SceneId::polez)] = {Action::failInit};
    EXPECT_EQ(Run(allProbes), 1);
    EXPECT_EQ(events,
              (std::vector<std::string>{"Test constructed", "Test initialised", "Polez constructed",
                                        "Polez initialised", "Test destroyed with the window open",
                                        "Polez destroyed with the window open"}));
    EXPECT_EQ(renders, "");
    ExpectInOrder(transcript, {"Test destroyed", "Polez destroyed", "Calling BASS_Free()",
                               std::string(failureCaptions[1]) + ": " + probeFailure});
}

TEST_F(DemoRun, FailuresWhileRunningAreShownAfterEverythingIsReleased) {
    struct Case {
        Action action;
        std::string message;
    };
    WriteMusic(20.0);
    const Case cases[] = {
        {Action::failRender, std::string("Schtar (Scene): ") + probeFailure},
        {Action::releaseApplication, std::string("Error while updating the rendering device.: ") +
                                         DescribeEngineError(engine_code::notActive)},
    };
    for (const Case& c : cases) {
        Reset();
        behaviours[static_cast<int>(SceneId::schtar)] = {c.action, 2.0f};
        EXPECT_EQ(Run(allProbes), 1);
        EXPECT_EQ(renders, "Schtar 0-2");
        ExpectInOrder(transcript, {"Test destroyed", "Polez destroyed", "Schtar destroyed",
                                   "Stekelz destroyed", "ZwartEnWit destroyed", "Wendo destroyed",
                                   "Marble destroyed", "Calling BASS_Free()", c.message});
    }
}

TEST_F(DemoRun, MissingMusicEndsBeforeAnySceneIsConstructed) {
    EXPECT_EQ(Run(allProbes), 1);
    EXPECT_TRUE(events.empty());
    ExpectInOrder(transcript,
                  {"Tried to create a stream for: Data\\Demo.mp3.: Could not stream the specified "
                   "file. Does it exist or is it corrupt perhaps?"});
}

} // namespace
