#include "demo/Demo.h"

#include "demo/Timeline.h"
#include "platform/EngineResult.h"
#include "platform/FullscreenApplication.h"
#include "platform/Timer.h"
#include "sound/SoundStream.h"
#include "sound/SoundSystem.h"
#include "sound/audio/AudioLibrary.h"

#include <cstdint>

namespace {

constexpr int screenWidth = 640;
constexpr int screenHeight = 480;
constexpr int musicFrequency = 44100;
constexpr const char* musicFile = "Data\\Demo.mp3";

// What the driver owns, created in start-up order and destroyed only by ReleaseAll.
class Demo {
  public:
    explicit Demo(std::span<const SceneEntry> scenesInOrder) : table(scenesInOrder) {}
    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    // Both return an empty result when the show may go on (StartUp) or ended normally
    // (RunFrames), otherwise the message to show.
    SceneResult StartUp();
    SceneResult RunFrames();
    void ReleaseAll();

  private:
    void SelectScene(float seconds);

    std::span<const SceneEntry> table;
    FullscreenApplication* application = nullptr;
    SoundSystem* soundSystem = nullptr;
    SoundStream* musicStream = nullptr;
    Timer* frameTimer = nullptr;
    Scene* scenes[sceneIdCount] = {}; // in creation order
    int sceneCount = 0;
    Scene* sceneById[sceneIdCount] = {};
    Scene* currentScene = nullptr;
    std::uint32_t byteRate = 0; // bytes of decoded music per second
    float byteRateFloat = 0.0f; // the divisor of every position
};

SceneResult Demo::StartUp() {
    application = new FullscreenApplication(0);
    if (const EngineResult code = application->Create(screenWidth, screenHeight); code < 0) {
        return {DescribeEngineError(code), "Tried to create a rendering device."};
    }
    application->SetTitle("Vellomire");

    soundSystem = new SoundSystem;
    if (const SoundResult code = soundSystem->Init(musicFrequency, application->GetWindowHandle());
        code < 0) {
        return {DescribeSoundError(code), "Tried to initialize the sound system."};
    }
    musicStream = new SoundStream;
    if (const SoundResult code = musicStream->CreateFromFile(false, musicFile, 0, 0); code < 0) {
        return {DescribeSoundError(code), "Tried to create a stream for: Data\\Demo.mp3."};
    }

    for (const SceneEntry& entry : table) {
        if (sceneCount == sceneIdCount) {
            break;
        }
        Scene* scene = entry.create();
        scenes[sceneCount++] = scene;
        sceneById[static_cast<int>(entry.id)] = scene;
        if (const SceneResult result = scene->Init(application); result.Failed()) {
            return result;
        }
    }

    // Failed queries leave the frequency at 0: every time is then outside the timeline and
    // the show ends on its first frame.
    DWORD frequency = 0;
    soundSystem->GetChannelAttributes(musicStream->GetHandle(), &frequency, nullptr, nullptr);
    const DWORD flags = soundSystem->GetChannelFlags(musicStream->GetHandle());
    byteRate =
        frequency * ((flags & BASS_SAMPLE_MONO) ? 1 : 2) * ((flags & BASS_SAMPLE_8BITS) ? 1 : 2);

    musicStream->Play(false);
    soundSystem->SetChannelPosition(musicStream->GetHandle(), 0);

    frameTimer = new Timer;
    byteRateFloat = static_cast<float>(byteRate);
    return {};
}

SceneResult Demo::RunFrames() {
    for (;;) {
        // The position is unsigned; a failed query (all ones) reads as -1 and ends the show.
        const auto position =
            static_cast<std::int32_t>(soundSystem->GetChannelPosition(musicStream->GetHandle()));
        const float seconds = static_cast<float>(position) / byteRateFloat;
        SelectScene(seconds);
        if (currentScene == nullptr) {
            return {};
        }
        if (const SceneResult result = currentScene->Render(frameTimer, seconds); result.Failed()) {
            return result;
        }
        if (const EngineResult code = application->Update(); code < 0) {
            return {DescribeEngineError(code), "Error while updating the rendering device."};
        }
        if (!application->IsActive()) {
            return {};
        }
    }
}

void Demo::SelectScene(float seconds) {
    const std::optional<SceneId> id = TimelineScene(seconds);
    currentScene = id ? sceneById[static_cast<int>(*id)] : nullptr;
}

void Demo::ReleaseAll() {
    currentScene = nullptr;
    for (Scene*& scene : sceneById) {
        scene = nullptr;
    }
    for (int i = 0; i < sceneCount; ++i) {
        delete scenes[i];
        scenes[i] = nullptr;
    }
    sceneCount = 0;
    delete frameTimer;
    frameTimer = nullptr;
    if (musicStream != nullptr) {
        musicStream->Free();
        delete musicStream;
        musicStream = nullptr;
    }
    delete soundSystem;
    soundSystem = nullptr;
    delete application;
    application = nullptr;
}

} // namespace

int RunDemo(std::span<const SceneEntry> scenes) {
    Demo demo(scenes);
    SceneResult failure = demo.StartUp();
    if (!failure.Failed()) {
        failure = demo.RunFrames();
    }
    demo.ReleaseAll();
    if (!failure.Failed()) {
        return 0;
    }
    MessageBoxA(nullptr, failure.text != nullptr ? failure.text : "",
                failure.caption != nullptr ? failure.caption : "", MB_ICONERROR);
    return 1;
}

int WinMain(HINSTANCE, HINSTANCE, char*, int) {
    return RunDemo(ShowScenes());
}
