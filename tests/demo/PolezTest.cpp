#include "demo/Polez.h"

#include "MissingFileCheck.h"
#include "SceneDrawing.h"
#include "SceneTestSupport.h"
#include "effects/RendererResult.h"
#include "effects/VectorMath.h"
#include "platform/EngineResult.h"
#include "platform/Timer.h"
#include "support/FakeApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using ::testing::FloatNear;
using ::testing::HasSubstr;

class PolezTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
    }

    void WriteAllFiles() {
        data.WriteMesh("Palen.msh", {{100, 0, 0}, {0, 100, 0}, {0, 0, 100}, {-50, -50, 20}},
                       {{0, 1, 2}, {0, 2, 3}, {1, 3, 2}, {0, 3, 1}});
        data.WriteImage("Chess.jpg");
        data.WriteImage("Tolm1.jpg");
    }

    RecordingDevice& device() { return fake.Device(); }

    // The demo clock reads `m` milliseconds when the frame is drawn.
    SceneResult RenderAt(DWORD m) {
        clock.Set(demoStart + m);
        return scene.Render(&demoClock, 70.0f);
    }

    static constexpr DWORD demoStart = 5000;
    ScopedDataFolder data;
    ScopedClock clock{demoStart};
    Timer demoClock;
    FakeApplication fake;
    Polez scene;
};

void ExpectMatrixNear(const D3DMATRIX& actual, const D3DMATRIX& expected, float tolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_THAT(actual.m[r][c], FloatNear(expected.m[r][c], tolerance))
                << "row " << r << " column " << c;
        }
    }
}

D3DMATRIX Identity() {
    D3DMATRIX identity;
    return MatrixIdentity(identity);
}

TEST_F(PolezTest, RenderBeforeInitAnswersWithoutClearing) {
    device().ClearCalls();
    const SceneResult result = RenderAt(0);
    EXPECT_STREQ(result.text, "Scene not initialized.");
    EXPECT_STREQ(result.caption, "Polez (Scene)");
    EXPECT_TRUE(device().Calls().empty());
}

TEST_F(PolezTest, SecondInitIsRefusedAndLoadsNothing) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult result = scene.Init(&fake.application);
    EXPECT_STREQ(result.text, "Scene already initialized.");
    EXPECT_STREQ(result.caption, "Polez (Scene)");
    EXPECT_TRUE(device().Calls().empty());
    EXPECT_FALSE(RenderAt(0).Failed());
    EXPECT_EQ(device().Draws().size(), 2u);
}

TEST_F(PolezTest, EachMissingFileFailsInitWithItsCaptionAndKeepsNothing) {
    const MissingFileCase cases[] = {
        {"Palen.msh", "Polez (Scene): Tried to load mesh: Data\\Palen.msh",
         engine_code::meshOpenFailed, 0},
        {"Chess.jpg", "Polez (Scene): Tried to load texture: Data\\Chess.jpg",
         engine_code::textureLoadFailed, 0},
        {"Tolm1.jpg", "Polez (Scene): Tried to load texture: Data\\Tolm1.jpg",
         engine_code::textureLoadFailed, 1},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 70.0f}, cases);
}

// Frame after frame: a colour-only clear to the background grey, the unlit photograph on the
// 4 x 3 quad from 3.2 in front, then the poles through the telephoto lens, lit with strong
// highlights, both sides, in fog; afterwards fog and lighting are off again.
TEST_F(PolezTest, EachFrameDrawsTheUnlitPhotographThenTheFoggedLitPoles) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const auto textures = device().Textures();
    ASSERT_EQ(textures.size(), 2u);
    const RecordingTexture* chess = textures[0];
    const RecordingTexture* photo = textures[1];
    EXPECT_EQ(chess->width, 256u);
    EXPECT_EQ(photo->width, 640u);
    EXPECT_EQ(photo->height, 480u);

    for (int frame = 0; frame < 2; ++frame) {
        SCOPED_TRACE(frame);
        device().ClearCalls();
        const std::size_t first = device().Draws().size();
        ASSERT_FALSE(RenderAt(0).Failed());
        ASSERT_EQ(device().Draws().size(), first + 2);

        const RecordedCall& clear = device().Calls().at(0);
        EXPECT_EQ(clear.name, "Clear");
        EXPECT_EQ(clear.args.at(1), D3DCLEAR_TARGET);
        EXPECT_EQ(clear.args.at(2), 0x00262626);

        const RecordedDraw& photograph = device().Draws()[first];
        EXPECT_EQ(photograph.texture, photo);
        EXPECT_EQ(photograph.RenderState(D3DRS_LIGHTING), FALSE);
        EXPECT_EQ(photograph.RenderState(D3DRS_FOGENABLE), FALSE);
        ExpectMatrixNear(photograph.transforms.at(D3DTS_WORLD), Identity(), 0.0f);
        EXPECT_FLOAT_EQ(photograph.transforms.at(D3DTS_VIEW).m[3][2], 3.2f);
        EXPECT_EQ(photograph.vertexCount, 4u);
        EXPECT_FLOAT_EQ(DrawnPosition(photograph, 0).x, 2.0f);
        EXPECT_FLOAT_EQ(DrawnPosition(photograph, 0).y, -1.5f);

        const RecordedDraw& poles = device().Draws()[first + 1];
        EXPECT_EQ(poles.texture, chess);
        EXPECT_EQ(poles.RenderState(D3DRS_LIGHTING), TRUE);
        EXPECT_EQ(poles.RenderState(D3DRS_SPECULARENABLE), TRUE);
        EXPECT_EQ(poles.RenderState(D3DRS_AMBIENT), 0x00363636u);
        EXPECT_EQ(poles.RenderState(D3DRS_CULLMODE), D3DCULL_NONE);
        EXPECT_EQ(poles.RenderState(D3DRS_FOGENABLE), TRUE);
        EXPECT_EQ(poles.RenderState(D3DRS_RANGEFOGENABLE), TRUE);
        EXPECT_EQ(poles.RenderState(D3DRS_FOGCOLOR), 0x00262626u);
        EXPECT_EQ(poles.RenderState(D3DRS_FOGSTART), FloatBits(0.0f));
        EXPECT_EQ(poles.RenderState(D3DRS_FOGEND), FloatBits(3.6f));
        EXPECT_FLOAT_EQ(poles.material.Specular.r, 2.0f);
        EXPECT_FLOAT_EQ(poles.material.Power, 9.0f);
        EXPECT_FLOAT_EQ(poles.material.Emissive.g, 0.05f);
        EXPECT_FLOAT_EQ(poles.material.Diffuse.r, 1.0f);
        ASSERT_TRUE(poles.lightEnabled.at(0));
        EXPECT_FLOAT_EQ(poles.lights.at(0).Specular.b, 2.0f);
        EXPECT_FLOAT_EQ(poles.lights.at(0).Diffuse.r, 1.0f);
        EXPECT_FLOAT_EQ(poles.lights.at(0).Direction.z, 1.0f);
        EXPECT_FLOAT_EQ(poles.transforms.at(D3DTS_VIEW).m[3][2], 1.9f);
        // Vertical scale of the projection: cot(fov / 2) with fov = 2 pi / 17.
        EXPECT_NEAR(poles.transforms.at(D3DTS_PROJECTION).m[1][1],
                    1.0 / std::tan(3.14159265358979 / 17.0), 1e-5);
        // The file's coordinates times 0.01.
        EXPECT_FLOAT_EQ(DrawnPosition(poles, 0).x, 1.0f);
        EXPECT_FLOAT_EQ(DrawnPosition(poles, 3).z, 0.2f);

        EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);
        EXPECT_EQ(device().RenderState(D3DRS_LIGHTING), TRUE);
    }
    EXPECT_THAT(device().Misuse(), ::testing::IsEmpty());
}

TEST_F(PolezTest, PolesTurnWithTheDemoClock) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    ASSERT_FALSE(RenderAt(0).Failed());
    ExpectMatrixNear(device().Draws().back().transforms.at(D3DTS_WORLD), Identity(), 0.0f);

    ASSERT_FALSE(RenderAt(10000).Failed());
    D3DMATRIX x, y, z, xy, expected;
    MatrixRotationX(x, 4.64563f);
    MatrixRotationY(y, 9.34563f);
    MatrixRotationZ(z, 4.3f);
    MatrixMultiply(expected, MatrixMultiply(xy, x, y), z);
    ExpectMatrixNear(device().Draws().back().transforms.at(D3DTS_WORLD), expected, 2e-6f);
}

// A draw that fails is written to the debugger output; the frame still switches fog off and
// returns success.
TEST_F(PolezTest, FailedDrawsAreReportedAndTheFrameGoesOn) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    fake.VertexBuffer().lockResult = D3DERR_INVALIDCALL;
    ::testing::internal::CaptureStderr();
    const SceneResult result = RenderAt(0);
    FlushDebugOutput();
    const std::string output = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(result.Failed());
    EXPECT_THAT(output, HasSubstr(DescribeEngineError(engine_code::rendererVertexLockFailed)));
    EXPECT_EQ(device().CountOf("DrawIndexedPrimitive"), 0);
    EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);

    fake.VertexBuffer().lockResult = D3D_OK;
    ASSERT_FALSE(RenderAt(0).Failed());
    EXPECT_EQ(device().Draws().at(0).RenderState(D3DRS_LIGHTING), FALSE);
}

} // namespace
