#include "demo/ZwartEnWit.h"

#include "MissingFileCheck.h"
#include "SceneDrawing.h"
#include "SceneTestSupport.h"
#include "effects/RendererResult.h"
#include "effects/VectorMath.h"
#include "geometry/Random.h"
#include "platform/Camera.h"
#include "platform/EngineResult.h"
#include "platform/Timer.h"
#include "support/FakeApplication.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* heightmapCaption =
    "ZwartEnWit (Scene): Tried to load heightmap: Data\\Scape1.raw";

using ::testing::FloatNear;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int gridSize = 64;
constexpr int gridVertices = gridSize * gridSize;

// A sample pattern that runs through every byte value, high and low.
std::int8_t Sample(int column, int row) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(column * 7 + row * 13));
}

class ZwartEnWitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
        SeedRandom(1);
    }

    void TearDown() override { SeedRandom(1); }

    void WriteAllFiles() {
        WriteHeightmap(gridVertices);
        for (const char* name :
             {"WhiteParticle.bmp", "BlackParticle.bmp", "Checker.jpg", "LafBlauwtje.jpg"}) {
            data.WriteImage(name);
        }
    }

    // The first `bytes` bytes of the 64 x 64 sample grid (the folder is the working one).
    static void WriteHeightmap(int bytes) {
        std::string samples;
        for (int i = 0; i < bytes; ++i) {
            samples.push_back(static_cast<char>(Sample(i % gridSize, i / gridSize)));
        }
        std::ofstream("Data/Scape1.raw", std::ios::binary) << samples;
    }

    RecordingDevice& device() { return fake.Device(); }

    // Draws of one Render with the demo clock reading `m` milliseconds.
    std::vector<RecordedDraw> RenderAt(DWORD m) {
        clock.Set(demoStart + m);
        const std::size_t first = device().Draws().size();
        EXPECT_FALSE(scene.Render(&demoClock, 90.0f).Failed());
        return {device().Draws().begin() + static_cast<std::ptrdiff_t>(first),
                device().Draws().end()};
    }

    static constexpr DWORD demoStart = 7000;
    ScopedDataFolder data;
    ScopedClock clock{demoStart};
    Timer demoClock;
    FakeApplication fake;
    ZwartEnWit scene;
};

// The centre of billboard i: its four corners lie symmetrically about it.
D3DVECTOR ParticleCentre(const RecordedDraw& draw, int i) {
    D3DVECTOR sum{0, 0, 0};
    for (int corner = 0; corner < 4; ++corner) {
        const D3DVECTOR p = DrawnPosition(draw, 4 * i + corner);
        sum = {sum.x + p.x, sum.y + p.y, sum.z + p.z};
    }
    return {sum.x / 4, sum.y / 4, sum.z / 4};
}

void ExpectMatrixEq(const D3DMATRIX& actual, const D3DMATRIX& expected) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(actual.m[r][c], expected.m[r][c]) << "row " << r << " column " << c;
        }
    }
}

D3DMATRIX LookAt(const D3DVECTOR& eye, const D3DVECTOR& at) {
    D3DMATRIX view;
    return MatrixLookAtLH(view, eye, at, {0, 1, 0});
}

// A refused second Init draws nothing from the generator; the first draws exactly three values
// for each of the 3000 points.
TEST_F(ZwartEnWitTest, RenderBeforeInitAndSecondInitAreRefused) {
    device().ClearCalls();
    const SceneResult early = scene.Render(&demoClock, 90.0f);
    EXPECT_STREQ(early.text, "Scene not initialized.");
    EXPECT_STREQ(early.caption, "ZwartEnWit (Scene)");
    EXPECT_TRUE(device().Calls().empty());

    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult again = scene.Init(&fake.application);
    EXPECT_STREQ(again.text, "Scene already initialized.");
    EXPECT_STREQ(again.caption, "ZwartEnWit (Scene)");
    EXPECT_TRUE(device().Calls().empty());
    const int next = Random();
    SeedRandom(1);
    for (int i = 0; i < 9000; ++i) {
        Random();
    }
    EXPECT_EQ(Random(), next);
    EXPECT_EQ(RenderAt(0).size(), 4u);
}

// The heightmap is loaded before any texture: without it no texture is made at all.
TEST_F(ZwartEnWitTest, EachMissingFileFailsInitWithItsCaptionAndKeepsNothing) {
    const MissingFileCase cases[] = {
        {"Scape1.raw", heightmapCaption, engine_code::heightmapOpenFailed, 0},
        {"WhiteParticle.bmp", "ZwartEnWit (Scene): Tried to load texture: Data\\WhiteParticle.bmp",
         engine_code::textureLoadFailed, 0},
        {"BlackParticle.bmp", "ZwartEnWit (Scene): Tried to load texture: Data\\BlackParticle.bmp",
         engine_code::textureLoadFailed, 1},
        {"Checker.jpg", "ZwartEnWit (Scene): Tried to load texture: Data\\Checker.jpg",
         engine_code::textureLoadFailed, 2},
        {"LafBlauwtje.jpg", "ZwartEnWit (Scene): Tried to load texture: Data\\LafBlauwtje.jpg",
         engine_code::textureLoadFailed, 3},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 90.0f}, cases);
}

// A heightmap one sample short fails Init the same way, before any texture is made.
TEST_F(ZwartEnWitTest, AShortHeightmapFailsInitBeforeAnyTexture) {
    WriteHeightmap(gridVertices - 1);
    const SceneResult result = scene.Init(&fake.application);
    EXPECT_STREQ(result.text, DescribeEngineError(engine_code::heightmapReadFailed));
    EXPECT_STREQ(result.caption, heightmapCaption);
    EXPECT_TRUE(device().Textures().empty());
    EXPECT_STREQ(scene.Render(&demoClock, 90.0f).text, "Scene not initialized.");
}

// The clouds come from the generator's sequence from its initial state: the white cloud from
// the first 4500 values, the black one from the next 4500, three per point. At demo time 0
// nothing is turned, so the particles sit at the points themselves.
TEST_F(ZwartEnWitTest, CloudsAreTheGeneratorsFirstValuesOnA009Grid) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const auto textures = device().Textures();
    ASSERT_EQ(textures.size(), 4u);
    EXPECT_EQ(textures[0]->width, 64u);
    EXPECT_EQ(textures[1]->width, 64u);
    EXPECT_EQ(textures[2]->width, 256u);
    EXPECT_EQ(textures[3]->width, 256u);

    const std::vector<RecordedDraw> draws = RenderAt(0);
    ASSERT_EQ(draws.size(), 4u);
    const RecordedDraw& white = draws[0];
    const RecordedDraw& black = draws[1];
    ASSERT_EQ(white.vertexCount, 4u * 1500u);
    ASSERT_EQ(black.vertexCount, 4u * 1500u);

    const D3DVECTOR first = ParticleCentre(white, 0);
    EXPECT_THAT(first.x, FloatNear(0.36f, 2e-6f));
    EXPECT_THAT(first.y, FloatNear(-0.18f, 2e-6f));
    EXPECT_THAT(first.z, FloatNear(-2.79f, 2e-6f));

    // The generator written out independently: x = (45 - r1 mod 90) 0.09, y and z about 33 and
    // 31 for the white cloud, 31 and 33 for the black one.
    std::uint32_t state = 1;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
    struct Cloud {
        const RecordedDraw* draw;
        int yOffset, zOffset;
        float yLow, yHigh, zLow, zHigh;
    };
    const Cloud clouds[] = {{&white, 33, 31, -2.7f, 2.97f, -2.88f, 2.79f},
                            {&black, 31, 33, -2.88f, 2.79f, -2.7f, 2.97f}};
    for (const Cloud& cloud : clouds) {
        for (int i = 0; i < 1500; ++i) {
            const int r1 = next();
            const int r2 = next();
            const int r3 = next();
            const D3DVECTOR p = ParticleCentre(*cloud.draw, i);
            ASSERT_THAT(p.x, FloatNear(0.09f * static_cast<float>(45 - r1 % 90), 2e-6f)) << i;
            ASSERT_THAT(p.y, FloatNear(0.09f * static_cast<float>(cloud.yOffset - r2 % 64), 2e-6f));
            ASSERT_THAT(p.z, FloatNear(0.09f * static_cast<float>(cloud.zOffset - r3 % 64), 2e-6f));
            ASSERT_GE(p.x, -3.96f - 1e-5f);
            ASSERT_LE(p.x, 4.05f + 1e-5f);
            ASSERT_GE(p.y, cloud.yLow - 1e-5f);
            ASSERT_LE(p.y, cloud.yHigh + 1e-5f);
            ASSERT_GE(p.z, cloud.zLow - 1e-5f);
            ASSERT_LE(p.z, cloud.zHigh + 1e-5f);
        }
    }

    // White adds with the texture's alpha, black darkens; both from (0, 0, -5).
    EXPECT_EQ(white.texture, textures[0]);
    EXPECT_EQ(black.texture, textures[1]);
    EXPECT_EQ(DrawnColor(white, 0), 0x00454545u);
    EXPECT_EQ(DrawnColor(black, 0), 0x00FFFFFFu);
    EXPECT_EQ(white.RenderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA);
    EXPECT_EQ(white.RenderState(D3DRS_DESTBLEND), D3DBLEND_ONE);
    EXPECT_EQ(black.RenderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHASAT);
    EXPECT_EQ(black.RenderState(D3DRS_DESTBLEND), D3DBLEND_SRCCOLOR);
    EXPECT_THAT(DrawnPosition(white, 0).x - first.x, FloatNear(0.021f, 1e-6f));
    EXPECT_THAT(DrawnPosition(black, 0).x - ParticleCentre(black, 0).x, FloatNear(0.016f, 1e-6f));
    ExpectMatrixEq(white.transforms.at(D3DTS_VIEW), LookAt({0, 0, -5}, {0, 0, 0}));
    ExpectMatrixEq(black.transforms.at(D3DTS_VIEW), LookAt({0, 0, -5}, {0, 0, 0}));

    // Another run from the generator's initial state builds the same clouds.
    ZwartEnWit again;
    SeedRandom(1);
    ASSERT_FALSE(again.Init(&fake.application).Failed());
    clock.Set(demoStart);
    const std::size_t before = device().Draws().size();
    ASSERT_FALSE(again.Render(&demoClock, 90.0f).Failed());
    ASSERT_EQ(device().Draws().size(), before + 4);
    EXPECT_EQ(device().Draws()[before].vertexData, white.vertexData);
    EXPECT_EQ(device().Draws()[before + 1].vertexData, black.vertexData);
}

TEST(ZwartEnWitCameraPath, FliesThroughItsKeysAndThenRestsAtTheDefaults) {
    struct Key {
        D3DVECTOR position, target;
    };
    const Key k[] = {
        {{0, 0, -1}, {0, -0.45f, 0}},      {{0, 0, -3}, {0, -0.05f, 0}},
        {{0, 1, -3}, {0, -0.45f, -2.45f}}, {{0, 2, -1}, {2.45f, -1.45f, -2.45f}},
        {{0, 0, -6}, {12, -4.45f, 0}},     {{0, 0, -1}, {0, -3.45f, 0}},
        {{0, 0, -12}, {0, -3.45f, 0}},
    };
    const Key defaults{{0, 0, -4}, {0, 0, 0}};
    const Key middleOfFirst{{0, 0, -2}, {0, -0.25f, 0}};
    struct Case {
        float t;
        Key expected;
        float tolerance;
    };
    const Case cases[] = {
        {0.0f, k[0], 0.0f},        {2.35f, middleOfFirst, 1e-5f}, {4.7f, k[1], 0.0f},
        {6.4f, k[2], 1e-5f},       {11.2f, k[3], 1e-5f},          {12.9f, k[4], 1e-5f},
        {17.8f, k[5], 1e-5f},      {19.6f, k[6], 1e-5f},          {29.5f, k[5], 1e-5f},
        {29.500002f, defaults, 0}, {30.0f, defaults, 0.0f},       {-0.001f, defaults, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        Camera camera;
        ZwartEnWit::PlaceLandscapeCamera(camera, c.t);
        const float* actual[] = {&camera.position.x, &camera.position.y, &camera.position.z,
                                 &camera.target.x,   &camera.target.y,   &camera.target.z};
        const float expected[] = {c.expected.position.x, c.expected.position.y,
                                  c.expected.position.z, c.expected.target.x,
                                  c.expected.target.y,   c.expected.target.z};
        for (int i = 0; i < 6; ++i) {
            if (c.tolerance == 0.0f) {
                EXPECT_EQ(*actual[i], expected[i]) << i;
            } else {
                EXPECT_THAT(*actual[i], FloatNear(expected[i], c.tolerance)) << i;
            }
        }
        EXPECT_EQ(camera.fieldOfView, Camera{}.fieldOfView);
    }
}

// The landscape: lit with highlights, fogged, turning with the demo clock, drawn on a freshly
// cleared depth buffer through the flying camera; then the same grid flat at -13.45 with the
// sheet texture, unlit, against the landscape's depth. Afterwards the grid is back in shape
// and fog is off.
TEST_F(ZwartEnWitTest, LandscapeThenSheetInFogAndTheGridIsRestored) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const auto textures = device().Textures();
    const RecordingTexture* checker = textures.at(2);
    const RecordingTexture* sheet = textures.at(3);
    RenderAt(1000); // the scene clock starts

    struct Case {
        DWORD sceneMilliseconds;
        D3DVECTOR eye, at;
    };
    const Case cases[] = {
        {4700, {0, 0, -3}, {0, -0.05f, 0}},
        {30000, {0, 0, -4}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sceneMilliseconds);
        device().ClearCalls();
        const DWORD m = 1000 + c.sceneMilliseconds;
        const std::vector<RecordedDraw> draws = RenderAt(m);
        ASSERT_EQ(draws.size(), 4u);
        const RecordedCall& clear = device().Calls().at(0);
        EXPECT_EQ(clear.name, "Clear");
        EXPECT_EQ(clear.args.at(1), D3DCLEAR_TARGET);
        EXPECT_EQ(clear.args.at(2), 0x00262626);

        // Each cloud and the landscape start on a cleared depth buffer; the sheet does not.
        std::vector<std::string> order;
        for (const RecordedCall& call : device().Calls()) {
            if (call.name == "DrawIndexedPrimitive" ||
                (call.name == "Clear" && call.args.at(1) == D3DCLEAR_ZBUFFER)) {
                order.push_back(call.name);
            }
        }
        EXPECT_THAT(order, ::testing::ElementsAre("Clear", "DrawIndexedPrimitive", "Clear",
                                                  "DrawIndexedPrimitive", "Clear",
                                                  "DrawIndexedPrimitive", "DrawIndexedPrimitive"));

        const RecordedDraw& land = draws[2];
        const RecordedDraw& water = draws[3];
        for (const RecordedDraw* draw : {&land, &water}) {
            EXPECT_EQ(draw->vertexCount, 4096u);
            EXPECT_EQ(draw->primitiveCount, 7938u);
            EXPECT_EQ(draw->RenderState(D3DRS_FOGENABLE), TRUE);
            EXPECT_EQ(draw->RenderState(D3DRS_RANGEFOGENABLE), TRUE);
            EXPECT_EQ(draw->RenderState(D3DRS_FOGCOLOR), 0x00262626u);
            EXPECT_EQ(draw->RenderState(D3DRS_FOGSTART), FloatBits(-10.0f));
            EXPECT_EQ(draw->RenderState(D3DRS_FOGEND), FloatBits(37.9f));
            ExpectMatrixEq(draw->transforms.at(D3DTS_VIEW), LookAt(c.eye, c.at));
            D3DMATRIX turn;
            MatrixRotationY(turn, static_cast<float>(m) * 0.00028f);
            ExpectMatrixEq(draw->transforms.at(D3DTS_WORLD), turn);
        }
        EXPECT_EQ(land.texture, checker);
        EXPECT_EQ(land.RenderState(D3DRS_LIGHTING), TRUE);
        EXPECT_EQ(land.RenderState(D3DRS_SPECULARENABLE), TRUE);
        EXPECT_EQ(land.RenderState(D3DRS_AMBIENT), 0x00252525u);
        EXPECT_FLOAT_EQ(land.material.Specular.g, 1.0f);
        EXPECT_FLOAT_EQ(land.material.Power, 6.0f);
        EXPECT_FLOAT_EQ(land.material.Diffuse.r, 1.0f);
        ASSERT_TRUE(land.lightEnabled.at(0));
        EXPECT_FLOAT_EQ(land.lights.at(0).Specular.r, 0.3f);
        EXPECT_FLOAT_EQ(land.lights.at(0).Diffuse.g, 1.0f);
        EXPECT_FLOAT_EQ(land.lights.at(0).Direction.z, 1.0f);
        EXPECT_EQ(water.texture, sheet);
        EXPECT_EQ(water.RenderState(D3DRS_LIGHTING), FALSE);

        for (int i = 0; i < gridVertices; ++i) {
            const int column = i % gridSize;
            const int row = i / gridSize;
            const D3DVECTOR hill = DrawnPosition(land, i);
            const D3DVECTOR flat = DrawnPosition(water, i);
            ASSERT_EQ(hill.x, static_cast<float>(column - 32));
            ASSERT_EQ(hill.z, static_cast<float>(row - 32));
            ASSERT_FLOAT_EQ(hill.y, 1.0f - static_cast<float>(Sample(column, row)) / 3.85f);
            ASSERT_EQ(flat.x, hill.x);
            ASSERT_EQ(flat.z, hill.z);
            ASSERT_EQ(flat.y, -13.45f);
        }

        EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);
        EXPECT_EQ(device().RenderState(D3DRS_FOGEND), FloatBits(0.0f));
    }
    EXPECT_THAT(device().Misuse(), IsEmpty());
}

// Failing draws are written to the debugger output; the frame still restores the grid and
// switches fog off, and returns success.
TEST_F(ZwartEnWitTest, FailedDrawsAreReportedAndTheFrameStillRestores) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const std::vector<RecordedDraw> good = RenderAt(0);
    ASSERT_EQ(good.size(), 4u);

    fake.VertexBuffer().lockResult = D3DERR_INVALIDCALL;
    ::testing::internal::CaptureStderr();
    const std::vector<RecordedDraw> failed = RenderAt(0);
    FlushDebugOutput();
    const std::string output = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(failed.empty());
    EXPECT_THAT(output, HasSubstr(DescribeEngineError(engine_code::rendererVertexLockFailed)));
    EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);

    fake.VertexBuffer().lockResult = D3D_OK;
    const std::vector<RecordedDraw> after = RenderAt(0);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after[2].vertexData, good[2].vertexData);
    EXPECT_EQ(after[3].vertexData, good[3].vertexData);
}

} // namespace
