#pragma once
// The show's scenes, in the fixed start-up order.

#include "demo/Scene.h"

#include <span>

// In start-up order. The timeline names scenes by these identities.
enum class SceneId { test, polez, schtar, stekelz, zwartEnWit, wendo, marble };

inline constexpr int sceneIdCount = 7;

// The scene's class name ("ZwartEnWit").
const char* SceneName(SceneId id);

struct SceneEntry {
    SceneId id;
    Scene* (*create)(); // a new scene, constructed but not initialised
};

template <class SceneClass> Scene* CreateScene() {
    return new SceneClass;
}

// The show's table, in start-up order. A scene that is not part of the build is absent; the
// timeline windows that name it then select no scene.
std::span<const SceneEntry> ShowScenes();
