// The scene class is named Test; inside the fixtures below that name means ::testing::Test, so
// the scene is spelt ::Test.
#include "demo/Test.h"

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
#include <vector>

namespace {

using ::testing::FloatNear;
using ::testing::IsEmpty;

// Ball file coordinates times the load scale 0.008: vertex 0 is the centre, 1 to 3 lie one
// unit out along x, y and z, vertex 4 off every axis.
constexpr int centre = 0;
constexpr int onX = 1;
constexpr int onZ = 3;
constexpr int offAxis = 4;
const D3DVECTOR ballRest[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {-0.64f, 0.48f, 0.32f}};

class TestSceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
    }

    void WriteAllFiles() {
        data.WriteMesh("Bol.msh", {{0, 0, 0}, {125, 0, 0}, {0, 125, 0}, {0, 0, 125}, {-80, 60, 40}},
                       {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {1, 2, 4}});
        for (const char* name : {"Paddo.bmp", "Greets1.jpg", "Greets2.jpg", "Greets3.jpg"}) {
            data.WriteImage(name);
        }
    }

    RecordingDevice& device() { return fake.Device(); }

    // Draws of one Render with the demo clock reading `m` milliseconds.
    std::vector<RecordedDraw> RenderAt(DWORD m) {
        clock.Set(demoStart + m);
        const std::size_t first = device().Draws().size();
        EXPECT_FALSE(scene.Render(&demoClock, 120.0f).Failed());
        return {device().Draws().begin() + static_cast<std::ptrdiff_t>(first),
                device().Draws().end()};
    }

    static constexpr DWORD demoStart = 3000;
    ScopedDataFolder data;
    ScopedClock clock{demoStart};
    Timer demoClock;
    FakeApplication fake;
    ::Test scene;
};

float RotationYAngle(const D3DMATRIX& world) {
    return std::atan2(-world.m[0][2], world.m[0][0]);
}

// The x of the target a camera at (0, 0, -distance) looks at on the x axis.
float TargetX(const D3DMATRIX& view, float distance) {
    return distance * view.m[0][2] / view.m[2][2];
}

TEST_F(TestSceneTest, RenderBeforeInitAndSecondInitAreRefused) {
    device().ClearCalls();
    const SceneResult early = scene.Render(&demoClock, 120.0f);
    EXPECT_STREQ(early.text, "Scene not initialized.");
    EXPECT_STREQ(early.caption, "Test (Scene)");
    EXPECT_TRUE(device().Calls().empty());

    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult again = scene.Init(&fake.application);
    EXPECT_STREQ(again.text, "Scene already initialized.");
    EXPECT_STREQ(again.caption, "Test (Scene)");
    EXPECT_TRUE(device().Calls().empty());
    EXPECT_EQ(RenderAt(0).size(), 3u);
}

TEST_F(TestSceneTest, EachMissingFileFailsInitWithItsCaptionAndKeepsNothing) {
    const MissingFileCase cases[] = {
        {"Bol.msh", "Test (Scene): Tried to load mesh: Data\\Bol.msh", engine_code::meshOpenFailed,
         0},
        {"Paddo.bmp", "Test (Scene): Tried to load texture: Data\\Paddo.bmp",
         engine_code::textureLoadFailed, 0},
        {"Greets1.jpg", "Test (Scene): Tried to load texture: Data\\Greets1.jpg",
         engine_code::textureLoadFailed, 1},
        {"Greets2.jpg", "Test (Scene): Tried to load texture: Data\\Greets2.jpg",
         engine_code::textureLoadFailed, 2},
        {"Greets3.jpg", "Test (Scene): Tried to load texture: Data\\Greets3.jpg",
         engine_code::textureLoadFailed, 3},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 120.0f}, cases);
}

// The ball is scaled along each vertex's own ray by a factor between 0 and 3 and then turned
// about the y axis: the centre stays put, heights and distances from the axis scale alike.
// At demo time 0 the turn is exactly a quarter: (x, y, z) goes to (-z, y, x).
TEST_F(TestSceneTest, BallIsScaledAlongItsRaysAndTwistedAboutTheVerticalAxis) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const RecordingTexture* paddo = device().Textures().at(0);
    EXPECT_EQ(paddo->width, 256u);

    for (const DWORD m : {0u, 1234u, 30000u, 61517u}) {
        SCOPED_TRACE(m);
        device().ClearCalls();
        const std::vector<RecordedDraw> draws = RenderAt(m);
        ASSERT_EQ(draws.size(), 3u);
        const RecordedCall& clear = device().Calls().at(0);
        EXPECT_EQ(clear.name, "Clear");
        EXPECT_EQ(clear.args.at(1), D3DCLEAR_TARGET);
        EXPECT_EQ(clear.args.at(2), 0x00262626);

        const RecordedDraw& ball = draws[0];
        const D3DVECTOR drawnCentre = DrawnPosition(ball, centre);
        EXPECT_EQ(drawnCentre.x, 0.0f);
        EXPECT_EQ(drawnCentre.y, 0.0f);
        EXPECT_EQ(drawnCentre.z, 0.0f);

        const D3DVECTOR rest = ballRest[offAxis];
        const D3DVECTOR drawn = DrawnPosition(ball, offAxis);
        const float k = drawn.y / rest.y;
        EXPECT_GT(k, 0.0f);
        EXPECT_LE(k, 3.0f);
        EXPECT_THAT(std::hypot(drawn.x, drawn.z), FloatNear(k * std::hypot(rest.x, rest.z), 1e-5f));
        for (int i = 1; i < 5; ++i) {
            const D3DVECTOR p = DrawnPosition(ball, i);
            const D3DVECTOR r = ballRest[i];
            const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
            const float restLength = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
            EXPECT_LE(length, 3.0f * restLength + 1e-5f);
        }
        for (const RecordedDraw& pass : draws) {
            EXPECT_EQ(pass.vertexData, ball.vertexData);
        }
    }

    const std::vector<RecordedDraw> atZero = RenderAt(0);
    const D3DVECTOR x = DrawnPosition(atZero[0], onX);
    EXPECT_NEAR(x.x, 0.0f, 1e-6f);
    EXPECT_EQ(x.y, 0.0f);
    EXPECT_GT(x.z, 0.0f);
    const D3DVECTOR z = DrawnPosition(atZero[0], onZ);
    EXPECT_LT(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_NEAR(z.z, 0.0f, 1e-6f);
}

// Three additive, lit, two-sided passes from (0, 0, -2) looking at (0, -0.5, 0) with a wide
// lens; each turned 0.15 and 0.25 further than the first, each angle from a fresh clock read.
TEST_F(TestSceneTest, BallIsDrawnThreeTimesEachTurnFromAFreshClockRead) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const RecordingTexture* paddo = device().Textures().at(0);
    RenderAt(0); // starts the scene clock

    // Every read of the clock advances it by one millisecond.
    static DWORD stepping = 0;
    stepping = demoStart + 40000;
    SetTimeSourceForTesting([] { return stepping++; });
    const std::size_t first = device().Draws().size();
    EXPECT_FALSE(scene.Render(&demoClock, 120.0f).Failed());
    const ScopedClock handDriven(demoStart);
    const std::vector<RecordedDraw> draws(
        device().Draws().begin() + static_cast<std::ptrdiff_t>(first), device().Draws().end());
    ASSERT_EQ(draws.size(), 3u);

    D3DMATRIX expectedView;
    MatrixLookAtLH(expectedView, {0, 0, -2}, {0, -0.5f, 0}, {0, 1, 0});
    const float firstAngle = RotationYAngle(draws[0].transforms.at(D3DTS_WORLD));
    const float steps[] = {0.0f, 0.15f + 0.00063f, 0.25f + 2 * 0.00063f};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const RecordedDraw& pass = draws[i];
        EXPECT_EQ(pass.texture, paddo);
        EXPECT_EQ(pass.RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        EXPECT_EQ(pass.RenderState(D3DRS_DESTBLEND), D3DBLEND_ONE);
        EXPECT_EQ(pass.RenderState(D3DRS_CULLMODE), D3DCULL_NONE);
        EXPECT_EQ(pass.RenderState(D3DRS_LIGHTING), TRUE);
        EXPECT_EQ(pass.RenderState(D3DRS_SPECULARENABLE), TRUE);
        EXPECT_FLOAT_EQ(pass.material.Specular.r, 2.0f);
        EXPECT_FLOAT_EQ(pass.material.Specular.b, 1.0f);
        EXPECT_FLOAT_EQ(pass.material.Power, 5.0f);
        ASSERT_TRUE(pass.lightEnabled.at(0));
        EXPECT_FLOAT_EQ(pass.lights.at(0).Specular.r, 0.0f);
        EXPECT_FLOAT_EQ(pass.lights.at(0).Specular.b, 0.5f);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(pass.transforms.at(D3DTS_VIEW).m[r][c], expectedView.m[r][c]);
            }
        }
        EXPECT_NEAR(pass.transforms.at(D3DTS_PROJECTION).m[1][1], 1.0 / std::tan(1.6981583 / 2),
                    1e-5);
        const float turn = RotationYAngle(pass.transforms.at(D3DTS_WORLD)) - firstAngle;
        EXPECT_NEAR(std::remainder(turn, 2 * 3.14159265358979), steps[i], 1e-4);
    }
}

// The cards on the scene clock, which starts at the first frame (not at Init): bounds are
// inclusive, so at 10 s and 17.5 s two cards are drawn. Each card is drawn twice, additively,
// unlit and two-sided, from (0, 0, -3) and from 0.15 farther.
TEST_F(TestSceneTest, CardsSweepAcrossTheViewOneAfterAnother) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const auto textures = device().Textures();
    ASSERT_EQ(textures.size(), 4u);
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(textures[i]->width, 640u);
        EXPECT_EQ(textures[i]->height, 300u);
    }
    constexpr DWORD sceneStart = 9000;
    ASSERT_EQ(RenderAt(sceneStart).size(), 3u);

    struct Card {
        int number; // 1 to 3
        float targetX;
        float tolerance; // 0: exact
    };
    struct Case {
        DWORD sceneMilliseconds;
        std::vector<Card> cards;
    };
    const Case cases[] = {
        {2499, {}},
        {2500, {{1, 5.0f, 0.0f}}},
        {6250, {{1, 0.0f, 1e-5f}}},
        {10000, {{1, -5.0f, 1e-5f}, {2, -5.0f, 0.0f}}},
        {13750, {{2, 0.0f, 1e-5f}}},
        {17500, {{2, 5.0f, 1e-5f}, {3, 5.0f, 0.0f}}},
        {25990, {{3, -5.0f, 1e-3f}}},
        {26010, {}},
        {90000, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sceneMilliseconds);
        const std::vector<RecordedDraw> draws = RenderAt(sceneStart + c.sceneMilliseconds);
        ASSERT_EQ(draws.size(), 3 + 2 * c.cards.size());
        for (std::size_t k = 0; k < c.cards.size(); ++k) {
            const Card& card = c.cards[k];
            SCOPED_TRACE(card.number);
            for (std::size_t copy = 0; copy < 2; ++copy) {
                const RecordedDraw& draw = draws[3 + 2 * k + copy];
                const float distance = copy == 0 ? 3.0f : 3.15f;
                EXPECT_EQ(draw.texture, textures[static_cast<std::size_t>(card.number)]);
                EXPECT_EQ(draw.RenderState(D3DRS_LIGHTING), FALSE);
                EXPECT_EQ(draw.RenderState(D3DRS_DESTBLEND), D3DBLEND_ONE);
                EXPECT_EQ(draw.RenderState(D3DRS_CULLMODE), D3DCULL_NONE);
                EXPECT_EQ(draw.vertexCount, 4u);
                EXPECT_FLOAT_EQ(DrawnPosition(draw, 0).x, 1.7f);
                EXPECT_FLOAT_EQ(DrawnPosition(draw, 0).y, -1.0f);
                EXPECT_EQ(draw.transforms.at(D3DTS_WORLD).m[0][0], 1.0f);
                EXPECT_NEAR(draw.transforms.at(D3DTS_PROJECTION).m[1][1],
                            1.0 / std::tan(3.14159265358979 / 8), 1e-5);
                const D3DMATRIX& view = draw.transforms.at(D3DTS_VIEW);
                EXPECT_FLOAT_EQ(view.m[3][2], distance * view.m[2][2]);
                if (card.tolerance == 0.0f) {
                    D3DMATRIX expected;
                    MatrixLookAtLH(expected, {0, 0, -distance}, {card.targetX, 0, 0}, {0, 1, 0});
                    for (int r = 0; r < 4; ++r) {
                        for (int col = 0; col < 4; ++col) {
                            EXPECT_EQ(view.m[r][col], expected.m[r][col]);
                        }
                    }
                } else {
                    EXPECT_NEAR(TargetX(view, distance), card.targetX, card.tolerance);
                }
            }
        }
    }
    EXPECT_THAT(device().Misuse(), IsEmpty());
}

} // namespace
