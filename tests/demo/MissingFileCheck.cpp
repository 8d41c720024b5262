#include "MissingFileCheck.h"

#include "SceneTestSupport.h"
#include "support/FakeApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

void ExpectEachMissingFileFailsInit(const MissingFileScene& under,
                                    std::span<const MissingFileCase> cases) {
    RecordingDevice& device = under.fake.Device();
    for (const MissingFileCase& c : cases) {
        SCOPED_TRACE(c.file);
        under.writeAllFiles();
        under.data.Remove(c.file);
        const std::size_t texturesBefore = device.Textures().size();

        const SceneResult result = under.scene.Init(&under.fake.application);
        EXPECT_STREQ(result.text, DescribeEngineError(c.code));
        EXPECT_STREQ(result.caption, c.caption);
        const auto textures = device.Textures();
        EXPECT_EQ(textures.size() - texturesBefore, c.texturesLoadedBefore);
        for (const RecordingTexture* texture : textures) {
            EXPECT_TRUE(texture->released);
        }
        EXPECT_STREQ(under.scene.Render(&under.demoClock, under.seconds).text,
                     "Scene not initialized.");

        under.writeAllFiles();
        EXPECT_FALSE(under.scene.Init(&under.fake.application).Failed());
        under.scene.Release();
    }
    EXPECT_THAT(device.Misuse(), ::testing::IsEmpty());
}
