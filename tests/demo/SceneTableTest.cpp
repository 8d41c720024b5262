#include "demo/SceneTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const char* ShortCaption(SceneId id) {
    switch (id) {
    case SceneId::test:
        return "Test (Scene)";
    case SceneId::polez:
        return "Polez (Scene)";
    case SceneId::schtar:
        return "Schtar (Scene)";
    case SceneId::stekelz:
        return "Stekelz (Scene)";
    case SceneId::zwartEnWit:
        return "ZwartEnWit (Scene)";
    case SceneId::wendo:
        return "Wendo (Scene)";
    case SceneId::marble:
        return "Marble (Scene)";
    }
    return "";
}

TEST(SceneTable, ScenesAreListedOnceEachInStartUpOrder) {
    int previous = -1;
    for (const SceneEntry& entry : ShowScenes()) {
        EXPECT_GT(static_cast<int>(entry.id), previous);
        EXPECT_NE(entry.create, nullptr);
        previous = static_cast<int>(entry.id);
    }
}

// Every scene of the show, fresh from the table: Render answers at once without drawing
// (and without touching the timer), and a scene that was never initialised can be released
// and destroyed.
TEST(SceneTable, UninitialisedScenesRefuseToRenderAndReleaseCleanly) {
    for (const SceneEntry& entry : ShowScenes()) {
        SCOPED_TRACE(ShortCaption(entry.id));
        std::unique_ptr<Scene> scene(entry.create());
        const SceneResult result = scene->Render(nullptr, 1.0f);
        ASSERT_TRUE(result.Failed());
        EXPECT_STREQ(result.text, "Scene not initialized.");
        EXPECT_STREQ(result.caption, ShortCaption(entry.id));
        scene->Release();
        scene->Release();
    }
}

} // namespace
