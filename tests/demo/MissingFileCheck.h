#pragma once
// The check every scene shares: each of its files missing in turn fails Init cleanly.

#include "demo/Scene.h"
#include "platform/EngineResult.h"

#include <cstddef>
#include <functional>
#include <span>

class FakeApplication;
class ScopedDataFolder;
class Timer;

struct MissingFileCase {
    const char* file; // under Data
    const char* caption;
    EngineResult code;
    std::size_t texturesLoadedBefore; // made (and to be freed) before the failing load
};

// The scene under test with the fixture's folder and clock; `writeAllFiles` puts every file
// the scene loads into the folder, and Render is tried at `seconds`.
struct MissingFileScene {
    Scene& scene;
    FakeApplication& fake;
    const ScopedDataFolder& data;
    std::function<void()> writeAllFiles;
    Timer& demoClock;
    float seconds;
};

// For each case, all files written and then the case's file removed: Init answers with the
// case's description and caption, having made the textures before it, and keeps nothing
// (every texture released, Render refused); once the file is back, Init starts again from
// scratch. No device misuse along the way.
void ExpectEachMissingFileFailsInit(const MissingFileScene& under,
                                    std::span<const MissingFileCase> cases);
