#include "demo/Schtar.h"

#include "BallFixture.h"
#include "MissingFileCheck.h"
#include "SceneDrawing.h"
#include "SceneTestSupport.h"
#include "effects/VectorMath.h"
#include "geometry/Mesh.h"
#include "platform/EngineResult.h"
#include "platform/Timer.h"
#include "support/FakeApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using ::testing::FloatNear;

class SchtarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
    }

    void WriteAllFiles() {
        WriteBall();
        data.WriteImage("Bot1.bmp");
        data.WriteImage("Logo.bmp");
        data.WriteImage("Particle.bmp");
    }

    RecordingDevice& device() { return fake.Device(); }

    // Renders with the host clock at `now` ms; the demo clock started at 0 and the scene clock
    // starts at the scene's first frame. Returns the draws of this frame.
    std::vector<RecordedDraw> RenderAt(DWORD now) {
        clock.Set(now);
        const std::size_t before = device().Draws().size();
        EXPECT_FALSE(scene.Render(&demoClock, 0.0f).Failed());
        return {device().Draws().begin() + static_cast<std::ptrdiff_t>(before),
                device().Draws().end()};
    }

    // A first frame at 0 starts the scene clock, then a frame `ms` milliseconds later. The
    // scene time t is ms x 0.001f, which is slightly above ms / 1000 at whole seconds such as
    // 14 s, 15 s or 52 s.
    std::vector<RecordedDraw> RenderAtSceneTime(DWORD ms) {
        EXPECT_FALSE(scene.Init(&fake.application).Failed());
        RenderAt(0);
        return RenderAt(ms);
    }

    ScopedDataFolder data;
    ScopedClock clock{0};
    Timer demoClock;
    FakeApplication fake;
    Schtar scene;
};

TEST_F(SchtarTest, RenderBeforeInitDrawsNothingAndLeavesTheClockUnstarted) {
    device().ClearCalls();
    clock.Set(1000);
    const SceneResult result = scene.Render(&demoClock, 1.0f);
    EXPECT_STREQ(result.text, "Scene not initialized.");
    EXPECT_STREQ(result.caption, "Schtar (Scene)");
    EXPECT_TRUE(device().Calls().empty());

    // The scene clock starts at the first frame after Init, not at the refused one: 20 s later
    // this is still the fogged first frame without particles.
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const std::vector<RecordedDraw> draws = RenderAt(21000);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].RenderState(D3DRS_FOGENABLE), TRUE);
}

TEST_F(SchtarTest, SecondInitIsRefusedAndLoadsNothing) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult result = scene.Init(&fake.application);
    EXPECT_STREQ(result.text, "Scene already initialized.");
    EXPECT_STREQ(result.caption, "Schtar (Scene)");
    EXPECT_TRUE(device().Calls().empty());
    EXPECT_EQ(RenderAt(0).size(), 1u);
}

TEST_F(SchtarTest, EachMissingFileIsReportedAndNothingStaysLoaded) {
    const MissingFileCase cases[] = {
        {"Bol.msh", "Schtar (Scene): Tried to load mesh: Data\\Bol.msh",
         engine_code::meshOpenFailed, 0},
        {"Bot1.bmp", "Schtar (Scene): Tried to load texture: Data\\Bot1.bmp",
         engine_code::textureLoadFailed, 0},
        {"Logo.bmp", "Schtar (Scene): Tried to load texture: Data\\Logo.bmp",
         engine_code::textureLoadFailed, 1},
        {"Particle.bmp", "Schtar (Scene): Tried to load texture: Data\\Particle.bmp",
         engine_code::textureLoadFailed, 2},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 0.0f}, cases);
}

// Every vertex is f times its rest position with f >= 1, computed afresh from the rest
// positions every frame: the centre and the vertices on the x or y axes never move.
TEST_F(SchtarTest, BoilingPushesEveryVertexOutAlongItsOwnRay) {
    Mesh rest;
    LoadBall(rest);
    ASSERT_GT(rest.vertexCount, 100);
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    std::vector<BYTE> firstFrame;
    for (const DWORD now : {0u, 1u, 777u, 5000u, 13000u, 52000u, 61234u, 999999u, 0u}) {
        SCOPED_TRACE(now);
        const std::vector<RecordedDraw> draws = RenderAt(now);
        ASSERT_FALSE(draws.empty());
        const RecordedDraw& blob = draws[0];
        if (firstFrame.empty()) {
            firstFrame = blob.vertexData;
        } else if (now == 0) {
            EXPECT_EQ(blob.vertexData, firstFrame) << "the same clock gives the same blob";
        }
        ASSERT_EQ(blob.vertexCount, static_cast<UINT>(rest.vertexCount));
        float largest = 1.0f;
        for (int i = 0; i < rest.vertexCount; ++i) {
            const D3DVECTOR r = rest.restPositions[i];
            const D3DVECTOR p = DrawnPosition(blob, i);
            if (r.x == 0.0f || r.y == 0.0f) {
                EXPECT_EQ(p.x, r.x);
                EXPECT_EQ(p.y, r.y);
                EXPECT_EQ(p.z, r.z);
                continue;
            }
            const float k = p.x / r.x;
            ASSERT_TRUE(std::isfinite(k)) << "vertex " << i;
            EXPECT_GE(k, 1.0f) << "vertex " << i;
            EXPECT_THAT(p.y, FloatNear(k * r.y, 1e-6f * k)) << "vertex " << i;
            EXPECT_THAT(p.z, FloatNear(k * r.z, 1e-6f * k)) << "vertex " << i;
            largest = std::max(largest, k);
        }
        EXPECT_GT(largest, 1.05f);
    }
}

TEST_F(SchtarTest, FogInTheFirstShowingParticlesAndLogoFromFifteenSeconds) {
    struct Case {
        DWORD ms;
        bool fogged;
        std::size_t draws;
    };
    // 14 s reads as 14.000001 on the clock, so 13.999 s is the last fogged frame.
    for (const Case c : {Case{0, true, 1}, Case{13999, true, 1}, Case{14000, false, 1},
                         Case{14500, false, 1}, Case{15000, false, 3}}) {
        SCOPED_TRACE(c.ms);
        const std::vector<RecordedDraw> draws = RenderAtSceneTime(c.ms);
        ASSERT_EQ(draws.size(), c.draws);
        EXPECT_EQ(draws[0].RenderState(D3DRS_FOGENABLE), c.fogged ? TRUE : FALSE);
        if (c.fogged) {
            EXPECT_EQ(draws[0].RenderState(D3DRS_FOGCOLOR), 0x00262626u);
            EXPECT_EQ(draws[0].RenderState(D3DRS_FOGSTART), FloatBits(0.0f));
            EXPECT_EQ(draws[0].RenderState(D3DRS_FOGEND), FloatBits(4.9f));
        }
        EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);
        if (c.draws == 3) {
            // Particles: one sprite on every blob vertex; then the logo, unlit and additive.
            EXPECT_EQ(draws[1].vertexCount, 4 * draws[0].vertexCount);
            EXPECT_EQ(draws[2].vertexCount, 4u);
            EXPECT_EQ(draws[2].RenderState(D3DRS_LIGHTING), FALSE);
            EXPECT_EQ(draws[2].RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        }
        scene.Release();
    }
}

TEST_F(SchtarTest, TheBlobIsLitAndNotBlendedAfterALogoFrame) {
    RenderAtSceneTime(15000);
    const std::vector<RecordedDraw> draws = RenderAt(15100);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].RenderState(D3DRS_LIGHTING), TRUE);
    EXPECT_EQ(draws[0].RenderState(D3DRS_SPECULARENABLE), TRUE);
    EXPECT_EQ(draws[0].RenderState(D3DRS_AMBIENT), 0x00363636u);
    EXPECT_EQ(draws[0].RenderState(D3DRS_ALPHABLENDENABLE), FALSE);
    EXPECT_EQ(draws[0].RenderState(D3DRS_ZWRITEENABLE), TRUE);
    EXPECT_FLOAT_EQ(draws[0].material.Power, 11.0f);
    EXPECT_FLOAT_EQ(draws[0].material.Emissive.b, 0.35f);
}

// Width and height of the logo quad as drawn.
std::pair<float, float> LogoSize(const RecordedDraw& logo) {
    float w = 0.0f;
    float h = 0.0f;
    for (int i = 0; i < 4; ++i) {
        const D3DVECTOR p = DrawnPosition(logo, i);
        w = std::max(w, 2.0f * p.x);
        h = std::max(h, 2.0f * p.y);
    }
    return {w, h};
}

TEST_F(SchtarTest, TheLogoSwellsOnTheAccentsAndEasesBack) {
    struct Case {
        DWORD ms;
        float width, height;
    };
    const Case cases[] = {
        {15000, 1.2f, 0.35f},  {40000, 1.2f, 0.35f}, {51999, 1.2f, 0.35f}, {52000, 2.2f, 0.6f},
        {52750, 1.7f, 0.475f}, {53499, 1.2f, 0.35f}, {53500, 2.2f, 0.6f},  {55000, 1.2f, 0.35f},
        {56000, 1.2f, 0.35f},  {60000, 2.6f, 0.8f},  {63250, 2.2f, 0.6f},  {66000, 1.2f, 0.35f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        const std::vector<RecordedDraw> draws = RenderAtSceneTime(c.ms);
        ASSERT_EQ(draws.size(), 3u);
        const auto [width, height] = LogoSize(draws[2]);
        EXPECT_THAT(width, FloatNear(c.width, 1e-5f));
        EXPECT_THAT(height, FloatNear(c.height, 1e-5f));
        scene.Release();
    }
}

void ExpectMatrixNear(const D3DMATRIX& actual, const D3DMATRIX& expected) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_THAT(actual.m[r][c], FloatNear(expected.m[r][c], 1e-6f))
                << "row " << r << " column " << c;
        }
    }
}

TEST_F(SchtarTest, WithTheOrbitAtRestTheCameraLooksFromItsStartingPoint) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const std::vector<RecordedDraw> draws = RenderAt(0);
    ASSERT_EQ(draws.size(), 1u);
    D3DMATRIX expected;
    MatrixLookAtLH(expected, {1.0f, 2.232f, -5.0f}, {1.2f, 0.5f, 0.0f}, {0.0f, 1.0f, 0.0f});
    ExpectMatrixNear(draws[0].transforms.at(D3DTS_VIEW), expected);
    MatrixIdentity(expected);
    ExpectMatrixNear(draws[0].transforms.at(D3DTS_WORLD), expected);
}

} // namespace
