#include "demo/Wendo.h"

#include "MissingFileCheck.h"
#include "SceneDrawing.h"
#include "SceneTestSupport.h"
#include "effects/VectorMath.h"
#include "platform/EngineResult.h"
#include "platform/Timer.h"
#include "support/FakeApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace {

using ::testing::FloatNear;
using ::testing::IsEmpty;

class WendoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
    }

    void WriteAllFiles() {
        data.WriteImage("Wendo2.jpg");
        data.WriteImage("Wendo.jpg");
    }

    RecordingDevice& device() { return fake.Device(); }

    // Draws of the last Render.
    std::vector<RecordedDraw> RenderAt(DWORD now, Wendo& wendo, Timer& demo) {
        clock.Set(now);
        const std::size_t first = device().Draws().size();
        EXPECT_FALSE(wendo.Render(&demo, 140.0f).Failed());
        return {device().Draws().begin() + static_cast<std::ptrdiff_t>(first),
                device().Draws().end()};
    }

    ScopedDataFolder data;
    ScopedClock clock{1000};
    Timer demoClock; // started at 1000
    FakeApplication fake;
    Wendo scene;
};

void ExpectPosition(const D3DVECTOR& actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

bool AdditiveUnlitBothSides(const RecordedDraw& draw) {
    return draw.RenderState(D3DRS_ALPHABLENDENABLE) == TRUE &&
           draw.RenderState(D3DRS_SRCBLEND) == D3DBLEND_ONE &&
           draw.RenderState(D3DRS_DESTBLEND) == D3DBLEND_ONE &&
           draw.RenderState(D3DRS_ZWRITEENABLE) == FALSE &&
           draw.RenderState(D3DRS_CULLMODE) == D3DCULL_NONE &&
           draw.RenderState(D3DRS_LIGHTING) == FALSE;
}

TEST_F(WendoTest, RenderBeforeInitAnswersWithoutClearing) {
    device().ClearCalls();
    const SceneResult result = scene.Render(&demoClock, 140.0f);
    EXPECT_STREQ(result.text, "Scene not initialized.");
    EXPECT_STREQ(result.caption, "Wendo (Scene)");
    EXPECT_TRUE(device().Calls().empty());
}

TEST_F(WendoTest, SecondInitIsRefusedAndLoadsNothing) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult result = scene.Init(&fake.application);
    EXPECT_STREQ(result.text, "Scene already initialized.");
    EXPECT_STREQ(result.caption, "Wendo (Scene)");
    EXPECT_TRUE(device().Calls().empty());
    EXPECT_EQ(RenderAt(2000, scene, demoClock).size(), 10u);
}

TEST_F(WendoTest, EachMissingPictureFailsInitWithItsCaptionAndKeepsNothing) {
    const MissingFileCase cases[] = {
        {"Wendo2.jpg", "Wendo (Scene): Tried to load texture: Data\\Wendo2.jpg",
         engine_code::textureLoadFailed, 0},
        {"Wendo.jpg", "Wendo (Scene): Tried to load texture: Data\\Wendo.jpg",
         engine_code::textureLoadFailed, 1},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 140.0f}, cases);
}

// The scene's clock starts at its first frame, not at Init: that frame has phi = 0, so the
// farthest layer is the 50 x 50 square centred on (5, 5) at z = 15, and the others follow
// 3 units nearer each, each turned 0.03 further about the view axis.
TEST_F(WendoTest, FirstFrameBuildsTenLayersFromFarToNear) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const RecordingTexture* firstPicture = device().Textures().at(0);
    device().ClearCalls();

    const std::vector<RecordedDraw> draws = RenderAt(61000, scene, demoClock); // demo 60 s
    ASSERT_EQ(draws.size(), 10u);
    const RecordedCall& clear = device().Calls().at(0);
    EXPECT_EQ(clear.name, "Clear");
    EXPECT_EQ(clear.args.at(1), D3DCLEAR_TARGET);
    EXPECT_EQ(clear.args.at(2), 0x00262626);

    ExpectPosition(DrawnPosition(draws[0], 0), 30, 30, 15);
    ExpectPosition(DrawnPosition(draws[0], 1), 30, -20, 15);
    ExpectPosition(DrawnPosition(draws[0], 2), -20, 30, 15);
    ExpectPosition(DrawnPosition(draws[0], 3), -20, -20, 15);

    const float r0 = 60000.0f * 0.00073f;
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const RecordedDraw& draw = draws[static_cast<std::size_t>(i)];
        EXPECT_EQ(draw.texture, firstPicture);
        EXPECT_TRUE(AdditiveUnlitBothSides(draw));
        EXPECT_FLOAT_EQ(draw.transforms.at(D3DTS_VIEW).m[3][2], 4.0f);
        D3DMATRIX turn;
        MatrixRotationZ(turn, r0 + 0.03f * static_cast<float>(i));
        EXPECT_THAT(draw.transforms.at(D3DTS_WORLD).m[0][0], FloatNear(turn.m[0][0], 1e-6f));
        EXPECT_THAT(draw.transforms.at(D3DTS_WORLD).m[0][1], FloatNear(turn.m[0][1], 1e-6f));
        for (int v = 0; v < 4; ++v) {
            EXPECT_FLOAT_EQ(DrawnPosition(draw, v).z, 15.0f - 3.0f * static_cast<float>(i));
            EXPECT_EQ(DrawnColor(draw, v), 0x00FFFFFFu);
        }
    }
    EXPECT_THAT(device().Misuse(), IsEmpty());
}

// At 12,750 ms the clock's seconds are 12.750001 (0.001 is not exact in single precision), so
// that frame already shows the second picture, with the motion reversed, under the flash at
// its full 190; the flash fades by whole steps of grey and is gone once the seconds pass 15.
TEST_F(WendoTest, PictureSwitchesUnderAFlashThatFadesOutBy15Seconds) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const RecordingTexture* firstPicture = device().Textures().at(0);
    const RecordingTexture* secondPicture = device().Textures().at(1);
    constexpr DWORD start = 2000;
    ASSERT_EQ(RenderAt(start, scene, demoClock).size(), 10u);

    struct Case {
        DWORD sceneMilliseconds;
        bool firstShown;
        std::optional<DWORD> grey;
    };
    const Case cases[] = {
        {12749, true, std::nullopt}, {12750, false, 190},          {13000, false, 169},
        {14999, false, 1},           {15000, false, std::nullopt}, {20000, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sceneMilliseconds);
        const std::vector<RecordedDraw> draws =
            RenderAt(start + c.sceneMilliseconds, scene, demoClock);
        ASSERT_EQ(draws.size(), c.grey ? 11u : 10u);
        for (std::size_t i = 0; i < 10; ++i) {
            EXPECT_EQ(draws[i].texture, c.firstShown ? firstPicture : secondPicture);
        }
        // Layer 0's vertex 1 minus vertex 0 is (2P, -2Q) with P = 25 sin(phi), Q = 25 cos(phi);
        // phi runs forwards before the switch and backwards after it.
        const float phi =
            (c.firstShown ? 0.00023f : -0.00023f) * static_cast<float>(c.sceneMilliseconds);
        const D3DVECTOR v0 = DrawnPosition(draws[0], 0);
        const D3DVECTOR v1 = DrawnPosition(draws[0], 1);
        EXPECT_NEAR((v1.x - v0.x) / 2, 25 * std::sin(phi), 1e-3);
        EXPECT_NEAR((v0.y - v1.y) / 2, 25 * std::cos(phi), 1e-3);
        if (!c.grey) {
            continue;
        }
        const RecordedDraw& flash = draws[10];
        EXPECT_EQ(flash.texture, nullptr);
        EXPECT_TRUE(AdditiveUnlitBothSides(flash));
        EXPECT_FLOAT_EQ(flash.transforms.at(D3DTS_VIEW).m[3][2], 1.0f);
        EXPECT_FLOAT_EQ(flash.transforms.at(D3DTS_WORLD).m[0][0], 1.0f);
        EXPECT_FLOAT_EQ(flash.transforms.at(D3DTS_WORLD).m[0][1], 0.0f);
        ExpectPosition(DrawnPosition(flash, 0), 0.8f, -1.125f, 0.0f);
        ExpectPosition(DrawnPosition(flash, 3), -0.8f, 1.125f, 0.0f);
        for (int v = 0; v < 4; ++v) {
            EXPECT_EQ(DrawnColor(flash, v), *c.grey * 0x01010101u);
        }
    }
    EXPECT_THAT(device().Misuse(), IsEmpty());
}

// A frame in the flash reshapes the quad and sets its grey; the frame after it comes out
// exactly like the same moment of a scene that never flashed.
TEST_F(WendoTest, FrameAfterTheFlashIsBuiltAsIfThereHadBeenNone) {
    Wendo unflashed;
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    ASSERT_FALSE(unflashed.Init(&fake.application).Failed());

    RenderAt(10000, scene, demoClock); // scene clock starts
    RenderAt(23000, scene, demoClock); // t = 13: flash
    clock.Set(15000);
    Timer laterDemoClock;                       // reads 14,000 ms less than demoClock
    RenderAt(24000, unflashed, laterDemoClock); // its clock starts
    const std::vector<RecordedDraw> after = RenderAt(26000, scene, demoClock);
    const std::vector<RecordedDraw> expected = RenderAt(40000, unflashed, laterDemoClock);

    const RecordingTexture* secondPicture = device().Textures().at(1);
    const RecordingTexture* unflashedSecondPicture = device().Textures().at(3);
    ASSERT_EQ(after.size(), 10u);
    ASSERT_EQ(expected.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after[i].vertexData, expected[i].vertexData);
        EXPECT_EQ(after[i].indexData, expected[i].indexData);
        EXPECT_EQ(after[i].texture, secondPicture);
        EXPECT_EQ(expected[i].texture, unflashedSecondPicture);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(after[i].transforms.at(D3DTS_WORLD).m[r][c],
                          expected[i].transforms.at(D3DTS_WORLD).m[r][c]);
                EXPECT_EQ(after[i].transforms.at(D3DTS_VIEW).m[r][c],
                          expected[i].transforms.at(D3DTS_VIEW).m[r][c]);
            }
        }
    }
}

} // namespace
