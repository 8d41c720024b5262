#include "demo/SceneTable.h"

#include <vector>

// Each scene enables its include and its entry below. The blank lines between them keep one
// scene's change from touching another's.

#include "demo/Test.h"

#include "demo/Polez.h"

#include "demo/Schtar.h"

#include "demo/Stekelz.h"

#include "demo/ZwartEnWit.h"

#include "demo/Wendo.h"

#include "demo/Marble.h"

const char* SceneName(SceneId id) {
    static constexpr const char* names[sceneIdCount] = {"Test",       "Polez", "Schtar", "Stekelz",
                                                        "ZwartEnWit", "Wendo", "Marble"};
    return names[static_cast<int>(id)];
}

std::span<const SceneEntry> ShowScenes() {
    static const std::vector<SceneEntry> scenes{
        {SceneId::test, CreateScene<Test>},

        {SceneId::polez, CreateScene<Polez>},

        {SceneId::schtar, CreateScene<Schtar>},

        {SceneId::stekelz, CreateScene<Stekelz>},

        {SceneId::zwartEnWit, CreateScene<ZwartEnWit>},

        {SceneId::wendo, CreateScene<Wendo>},

        {SceneId::marble, CreateScene<Marble>},
    };
    return scenes;
}
