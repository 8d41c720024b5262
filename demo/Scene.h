#pragma once
// The interface through which the driver holds every scene of the show.

#include "platform/EngineResult.h"

class Application;
class Timer;

// The outcome of a scene's Init or Render: two static texts that are never freed. Both null
// means success; otherwise the driver shows `text` in a message box captioned `caption`.
struct SceneResult {
    const char* text = nullptr;
    const char* caption = nullptr;

    bool Failed() const { return text != nullptr || caption != nullptr; }
};

inline constexpr SceneResult sceneOk{};

// Init on a scene that is already initialised; `shortCaption` is the scene's "Name (Scene)".
inline constexpr SceneResult SceneAlreadyInitialized(const char* shortCaption) {
    return {"Scene already initialized.", shortCaption};
}

// Render on a scene that is not initialised.
inline constexpr SceneResult SceneNotInitialized(const char* shortCaption) {
    return {"Scene not initialized.", shortCaption};
}

// A drawing operation that failed does not end the frame: its description goes to the
// debugger output and the scene goes on. Does nothing for a code that is not negative.
void ReportDrawFailure(EngineResult code);

// The demo clock's whole milliseconds as a float; every use is a fresh read.
float Milliseconds(const Timer& timer);

// A concrete scene's constructor loads nothing; Init loads everything, Render draws one frame
// for the absolute music time in seconds (the back buffer already cleared to black, depth 1.0;
// the driver presents), Release frees everything Init created and may be called in any state.
// A derived scene's destructor calls its own Release.
class Scene {
  public:
    Scene() = default;
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;
    virtual ~Scene();

    virtual SceneResult Init(Application* application) = 0;
    virtual SceneResult Render(Timer* timer, float seconds) = 0;
    virtual void Release() = 0;
};
