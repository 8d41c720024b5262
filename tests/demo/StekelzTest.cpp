#include "demo/Stekelz.h"

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
#include <bit>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAreArray;

class StekelzTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAllFiles();
        ASSERT_EQ(fake.Create(), 0);
        LoadBall(rest);
    }

    void WriteAllFiles() {
        WriteBall();
        data.WriteImage("Stekel.jpg");
        data.WriteImage("Screes.bmp");
        data.WriteImage("Plek.bmp");
    }

    RecordingDevice& device() const { return fake.Device(); }

    // One frame at music time `s` with the demo clock reading `m` ms at every read.
    std::vector<RecordedDraw> RenderAt(float s, DWORD m = 10000) {
        clock.Set(m);
        const std::size_t before = device().Draws().size();
        EXPECT_FALSE(scene.Render(&demoClock, s).Failed());
        return {device().Draws().begin() + static_cast<std::ptrdiff_t>(before),
                device().Draws().end()};
    }

    // What a draw shows: "spikes", "Screes", "Plek" or "flash" (no texture).
    std::string Shown(const RecordedDraw& draw) const {
        const std::vector<RecordingTexture*> textures = device().Textures();
        const char* names[] = {"spikes", "Screes", "Plek"};
        for (std::size_t i = 0; i < 3 && i < textures.size(); ++i) {
            if (draw.texture == textures[i]) {
                return names[i];
            }
        }
        return draw.texture == nullptr ? "flash" : "?";
    }

    std::vector<RecordedDraw> SpikePasses(const std::vector<RecordedDraw>& draws) const {
        std::vector<RecordedDraw> passes;
        std::copy_if(draws.begin(), draws.end(), std::back_inserter(passes),
                     [this](const RecordedDraw& draw) { return Shown(draw) == "spikes"; });
        return passes;
    }

    ScopedDataFolder data;
    ScopedClock clock{0};
    Timer demoClock;
    FakeApplication fake;
    Mesh rest;
    Stekelz scene;
};

struct Angles {
    float a, b, c;
};

// The ball's rotation rules, for the demo clock at m ms.
Angles Turning(DWORD m, float sign) {
    const auto ms = static_cast<float>(m);
    return {ms * sign * 0.00013f, ms * sign * 0.00033f, ms * sign * 0.00023f};
}

// The deformed ball positions of one spike pass, turned back by the pass's rotation: each
// sprite's centre lies halfway between its right-top and left-bottom corners.
std::vector<D3DVECTOR> Unturned(const RecordedDraw& pass, int count, Angles angles) {
    D3DMATRIX x, y, z, xy, r;
    MatrixRotationX(x, angles.a);
    MatrixRotationY(y, angles.b);
    MatrixRotationZ(z, angles.c);
    MatrixMultiply(r, MatrixMultiply(xy, x, y), z);
    std::vector<D3DVECTOR> positions;
    for (int i = 0; i < count; ++i) {
        const D3DVECTOR rt = DrawnPosition(pass, 4 * i);
        const D3DVECTOR lb = DrawnPosition(pass, 4 * i + 3);
        const float turned[3] = {(rt.x + lb.x) * 0.5f, (rt.y + lb.y) * 0.5f, (rt.z + lb.z) * 0.5f};
        float p[3];
        for (int j = 0; j < 3; ++j) {
            p[j] = turned[0] * r.m[j][0] + turned[1] * r.m[j][1] + turned[2] * r.m[j][2];
        }
        positions.push_back({p[0], p[1], p[2]});
    }
    return positions;
}

// How well positions fit k x rest: the largest distance from that ray and the range of k.
struct RayFit {
    float offRay = 0.0f;
    float smallestK = std::numeric_limits<float>::max();
    float largestK = 0.0f;
};

RayFit FitRays(const std::vector<D3DVECTOR>& positions, const Mesh& rest) {
    RayFit fit;
    for (int i = 0; i < rest.vertexCount; ++i) {
        const D3DVECTOR r = rest.restPositions[i];
        const D3DVECTOR p = positions[i];
        const float rr = Vec3Dot(r, r);
        const float k = rr == 0.0f ? 1.0f : Vec3Dot(p, r) / rr;
        const D3DVECTOR off{p.x - k * r.x, p.y - k * r.y, p.z - k * r.z};
        fit.offRay = std::max(fit.offRay, std::sqrt(Vec3Dot(off, off)) / std::max(1.0f, k));
        if (rr != 0.0f) {
            fit.smallestK = std::min(fit.smallestK, k);
            fit.largestK = std::max(fit.largestK, k);
        }
    }
    return fit;
}

TEST_F(StekelzTest, RenderBeforeInitDrawsNothing) {
    device().ClearCalls();
    const SceneResult result = scene.Render(&demoClock, 20.0f);
    EXPECT_STREQ(result.text, "Scene not initialized.");
    EXPECT_STREQ(result.caption, "Stekelz (Scene)");
    EXPECT_TRUE(device().Calls().empty());
}

TEST_F(StekelzTest, SecondInitIsRefusedAndLoadsNothing) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    device().ClearCalls();
    const SceneResult result = scene.Init(&fake.application);
    EXPECT_STREQ(result.text, "Scene already initialized.");
    EXPECT_STREQ(result.caption, "Stekelz (Scene)");
    EXPECT_TRUE(device().Calls().empty());
}

TEST_F(StekelzTest, EachMissingFileIsReportedAndNothingStaysLoaded) {
    const MissingFileCase cases[] = {
        {"Bol.msh", "Stekelz (Scene): Tried to load mesh: Data\\Bol.msh",
         engine_code::meshOpenFailed, 0},
        {"Stekel.jpg", "Stekelz (Scene): Tried to load texture: Data\\Stekel.jpg",
         engine_code::textureLoadFailed, 0},
        {"Screes.bmp", "Stekelz (Scene): Tried to load texture: Data\\Screes.bmp",
         engine_code::textureLoadFailed, 1},
        {"Plek.bmp", "Stekelz (Scene): Tried to load texture: Data\\Plek.bmp",
         engine_code::textureLoadFailed, 2},
    };
    ExpectEachMissingFileFailsInit(
        {scene, fake, data, [this] { WriteAllFiles(); }, demoClock, 20.0f}, cases);
}

// In every pass of every frame each spike sits on k x its rest position with k >= 1; the
// three passes are the same ball turned 0, 0.05 and 0.1 further about each axis.
TEST_F(StekelzTest, TheBallIsPushedOutAlongItsRaysInAllThreePasses) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    std::vector<BYTE> firstFrame;
    for (const DWORD m : {0u, 1u, 950u, 13000u, 27777u, 51999u, 400000u, 0u}) {
        SCOPED_TRACE(m);
        const std::vector<RecordedDraw> passes = SpikePasses(RenderAt(20.0f, m));
        ASSERT_EQ(passes.size(), 3u);
        if (firstFrame.empty()) {
            firstFrame = passes[0].vertexData;
        } else if (m == 0) {
            EXPECT_EQ(passes[0].vertexData, firstFrame) << "the same clock gives the same ball";
        }
        const Angles turning = Turning(m, -1.0f);
        float largest = 0.0f;
        for (int pass = 0; pass < 3; ++pass) {
            const float offset = 0.05f * static_cast<float>(pass);
            ASSERT_EQ(passes[pass].vertexCount, 4u * static_cast<UINT>(rest.vertexCount));
            const RayFit fit =
                FitRays(Unturned(passes[pass], rest.vertexCount,
                                 {turning.a + offset, turning.b + offset, turning.c + offset}),
                        rest);
            EXPECT_LT(fit.offRay, 2e-5f) << "pass " << pass;
            EXPECT_GE(fit.smallestK, 1.0f - 1e-5f) << "pass " << pass;
            largest = std::max(largest, fit.largestK);
        }
        EXPECT_GT(largest, 1.05f);
    }
}

TEST_F(StekelzTest, TheBallTurnsBackwardsOnlyInTheFirstBannerPhase) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    constexpr DWORD m = 10000;
    struct Case {
        float s;
        float sign;
    };
    // At 26 the first banner's rule follows the fog phase's; at 39 the second banner's follows.
    for (const Case c : {Case{13.0f, -1.0f}, Case{20.0f, -1.0f}, Case{26.0f, 1.0f},
                         Case{30.0f, 1.0f}, Case{39.0f, -1.0f}, Case{50.0f, -1.0f}}) {
        SCOPED_TRACE(c.s);
        const std::vector<RecordedDraw> passes = SpikePasses(RenderAt(c.s, m));
        ASSERT_EQ(passes.size(), 3u);
        const int count = rest.vertexCount;
        EXPECT_LT(FitRays(Unturned(passes[0], count, Turning(m, c.sign)), rest).offRay, 2e-5f);
        EXPECT_GT(FitRays(Unturned(passes[0], count, Turning(m, -c.sign)), rest).offRay, 1e-2f);
    }
}

TEST_F(StekelzTest, TheFogEndGrowsOverTheFirstPhase) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    struct Case {
        float s, end;
    };
    for (const Case c : {Case{13.0f, 0.0f}, Case{19.5f, 1.2f}, Case{26.0f, 2.4f}, Case{33.0f, 2.4f},
                         Case{45.0f, 2.4f}}) {
        SCOPED_TRACE(c.s);
        for (const RecordedDraw& draw : RenderAt(c.s)) {
            if (Shown(draw) != "spikes") {
                EXPECT_EQ(draw.RenderState(D3DRS_FOGENABLE), FALSE) << Shown(draw);
                continue;
            }
            EXPECT_EQ(draw.RenderState(D3DRS_FOGENABLE), TRUE);
            EXPECT_EQ(draw.RenderState(D3DRS_FOGCOLOR), 0x00262626u);
            EXPECT_EQ(draw.RenderState(D3DRS_FOGSTART), FloatBits(0.0f));
            EXPECT_FLOAT_EQ(std::bit_cast<float>(draw.RenderState(D3DRS_FOGEND)), c.end);
        }
        EXPECT_EQ(device().RenderState(D3DRS_FOGENABLE), FALSE);
    }
}

TEST_F(StekelzTest, BannersComeUpWithAFadingGreyFlash) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const std::vector<std::string> ball{"spikes", "spikes", "spikes"};
    const auto with = [&ball](std::vector<std::string> before, std::vector<std::string> after) {
        before.insert(before.end(), ball.begin(), ball.end());
        before.insert(before.end(), after.begin(), after.end());
        return before;
    };
    struct Case {
        float s;
        std::vector<std::string> shown;
        D3DCOLOR flash;
    };
    const Case cases[] = {
        {20.0f, ball, 0},
        {26.0f, with({"Screes"}, {"Screes", "flash"}), 0xBEBEBEBE},
        {27.0f, with({"Screes"}, {"Screes", "flash"}), 0x5F5F5F5F},
        {28.0f, with({"Screes"}, {"Screes", "flash"}), 0},
        {28.5f, with({"Screes"}, {"Screes"}), 0},
        {39.0f, with({"Screes", "Plek"}, {"Screes", "Plek", "flash"}), 0xBEBEBEBE},
        {39.5f, with({"Plek"}, {"Plek", "flash"}), 0x8F8F8F8F},
        {40.5f, with({"Plek"}, {"Plek", "flash"}), 0x30303030},
        {41.5f, with({"Plek"}, {"Plek"}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        const std::vector<RecordedDraw> draws = RenderAt(c.s);
        std::vector<std::string> shown;
        for (const RecordedDraw& draw : draws) {
            shown.push_back(Shown(draw));
        }
        ASSERT_THAT(shown, ElementsAreArray(c.shown));
        if (shown.back() != "flash") {
            continue;
        }
        const RecordedDraw& flash = draws.back();
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(DrawnColor(flash, i), c.flash);
            EXPECT_FLOAT_EQ(std::abs(DrawnPosition(flash, i).x), 0.8f);
            EXPECT_FLOAT_EQ(std::abs(DrawnPosition(flash, i).y), 1.125f);
        }
        EXPECT_EQ(flash.RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        EXPECT_EQ(flash.RenderState(D3DRS_LIGHTING), FALSE);
    }
}

// The overlay switches the mesh renderer to additive and nothing switches it back: only the
// very first backdrop is drawn opaque, every later one is added like the overlays; the flash
// colour does not stay on the banners.
TEST_F(StekelzTest, BackdropsTurnAdditiveAfterTheFirstOverlay) {
    ASSERT_FALSE(scene.Init(&fake.application).Failed());
    const std::vector<RecordedDraw> first = RenderAt(26.0f);
    ASSERT_EQ(Shown(first.front()), "Screes");
    EXPECT_EQ(first.front().RenderState(D3DRS_ALPHABLENDENABLE), FALSE);
    EXPECT_EQ(first.front().RenderState(D3DRS_ZWRITEENABLE), TRUE);

    for (const float s : {26.1f, 45.0f}) {
        SCOPED_TRACE(s);
        const std::vector<RecordedDraw> later = RenderAt(s);
        EXPECT_EQ(later.front().RenderState(D3DRS_ALPHABLENDENABLE), TRUE);
        EXPECT_EQ(later.front().RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
        EXPECT_EQ(later.front().RenderState(D3DRS_ZWRITEENABLE), FALSE);
        EXPECT_EQ(DrawnColor(later.front(), 0), 0x00FFFFFFu);
    }
    EXPECT_THAT(device().Misuse(), ::testing::IsEmpty());
}

} // namespace
