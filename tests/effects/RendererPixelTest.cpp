// The renderers on the real OpenGL device (headless), checked at a few pixels against values
// worked out by hand. Set VELLOMIRE_TEST_PNG_DIR to also get each picture as a PNG.

#include "effects/BillboardRenderer.h"
#include "effects/Fog.h"
#include "effects/MeshRenderer.h"
#include "effects/RendererTestSupport.h"
#include "geometry/Mesh.h"
#include "platform/Camera.h"
#include "platform/FullscreenApplication.h"
#include "platform/Light.h"
#include "platform/Material.h"
#include "platform/Texture.h"
#include "platform/d3d8/ReadBack.h"

#include "support/GLDriverLeaks.h"
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

struct Rgb {
    int r, g, b;
};

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 2) {
    if (std::abs(actual.r - expected.r) <= tolerance &&
        std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "got (" << actual.r << ", " << actual.g << ", " << actual.b << "), expected ("
           << expected.r << ", " << expected.g << ", " << expected.b << ") within " << tolerance;
}

class RendererPixels : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { KeepGLDriverLoaded(); }

    void SetUp() override { ASSERT_EQ(application.Create(640, 480), 0); }

    Rgb Pixel(int x, int y) {
        EXPECT_TRUE(ReadBack(application.GetDevice(), ReadBackSource::Current, image));
        const std::size_t at =
            (static_cast<std::size_t>(y) * 640 + static_cast<std::size_t>(x)) * 3;
        return {image.rgb[at], image.rgb[at + 1], image.rgb[at + 2]};
    }

    void SavePng(const std::string& name) {
        const char* folder = std::getenv("VELLOMIRE_TEST_PNG_DIR");
        if (folder == nullptr ||
            !ReadBack(application.GetDevice(), ReadBackSource::Current, image)) {
            return;
        }
        SDL_Surface* surface =
            SDL_CreateRGBSurfaceWithFormatFrom(image.rgb.data(), image.width, image.height, 24,
                                               image.width * 3, SDL_PIXELFORMAT_RGB24);
        if (surface != nullptr) {
            IMG_SavePNG(surface, (std::string(folder) + "/" + name + ".png").c_str());
            SDL_FreeSurface(surface);
        }
    }

    FullscreenApplication application{0};
    ReadBackImage image;
    Camera camera;
    Mesh mesh;
};

// A 2 x 2 quad under the default camera covers x 175..465, y 95..385 (its corners project to
// 320 +- 1.8106601 / 4 * 320 and 240 +- 2.4142137 / 4 * 240).
TEST_F(RendererPixels, AdditiveQuadAddsOntoTheClearedBackground) {
    application.ClearTarget(0x00402010);
    mesh.MakeQuad(2.0f, 2.0f);
    MeshRenderer renderer(application);
    renderer.SetMesh(&mesh);
    renderer.SetCamera(&camera);
    renderer.SetColor(0x00204060);
    renderer.EnableAdditive();
    ASSERT_EQ(renderer.Render(), 0);
    SavePng("mesh-additive");
    EXPECT_TRUE(Near(Pixel(320, 240), {0x60, 0x60, 0x70}));
    EXPECT_TRUE(Near(Pixel(180, 100), {0x60, 0x60, 0x70}));
    EXPECT_TRUE(Near(Pixel(170, 240), {0x40, 0x20, 0x10}, 0));
    EXPECT_TRUE(Near(Pixel(320, 90), {0x40, 0x20, 0x10}, 0));
}

TEST_F(RendererPixels, LitTexturedQuadDimsAsItTurnsFromTheLight) {
    const std::string file = ::testing::TempDir() + "solid-" + std::to_string(getpid()) + ".bmp";
    ASSERT_TRUE(WriteSolidBmp(file, 8, 8, 0xFF8040));
    Texture texture(application);
    ASSERT_EQ(texture.Load(file.c_str(), 8, 8), 0);
    std::remove(file.c_str());
    mesh.MakeQuad(2.0f, 2.0f);
    Material material;
    Light light; // white, directional along +z: straight onto the quad's front
    MeshRenderer renderer(application);
    renderer.SetMesh(&mesh);
    renderer.SetCamera(&camera);
    renderer.SetTexture(&texture);
    renderer.SetMaterial(&material);
    renderer.SetLight(2, &light);
    renderer.SetColor(0x00808080);
    renderer.SetAmbient(0xFF202020);
    renderer.EnableLighting();

    // Facing the light: 128/255 x 1 + 32/255 (ambient) = 160/255, times the texture.
    ASSERT_EQ(renderer.Render(), 0);
    EXPECT_TRUE(Near(Pixel(320, 240), {160, 80, 40}));
    // Turned 60 degrees about y: N.L = 0.5, so 64/255 + 32/255 = 96/255.
    application.ClearTarget(0);
    renderer.SetRotationY(1.0471976f);
    ASSERT_EQ(renderer.Render(), 0);
    SavePng("mesh-lit-textured");
    EXPECT_TRUE(Near(Pixel(320, 240), {96, 48, 24}));
    // The turned quad is narrower: about 320 +- 72 (the near side a little wider).
    EXPECT_TRUE(Near(Pixel(200, 240), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(Pixel(440, 240), {0, 0, 0}, 0));
}

TEST_F(RendererPixels, FogHalfWayMixesHalfTheFogColourIn) {
    // Corners (+-1, +-1, z) with z + 4 = sqrt(13.95^2 - 2): each 13.95 from the eye, where fog
    // from -10 to 37.9 is half on. Half white, half 0x26.
    const float z = std::sqrt(13.95f * 13.95f - 2.0f) - 4.0f;
    FillMesh(mesh, {{1, -1, z}, {1, 1, z}, {-1, -1, z}, {-1, 1, z}}, {{2, 3, 1}, {2, 1, 0}});
    MeshRenderer renderer(application);
    renderer.SetMesh(&mesh);
    renderer.SetCamera(&camera);
    ASSERT_EQ(EnableFog(application, 0x00262626, -10.0f, 37.9f), 0);
    ASSERT_EQ(renderer.Render(), 0);
    ASSERT_EQ(DisableFog(application), 0);
    SavePng("mesh-fog");
    EXPECT_TRUE(Near(Pixel(320, 240), {146, 146, 146}));
    // Fog off again: the same quad in plain white.
    ASSERT_EQ(renderer.Render(), 0);
    EXPECT_TRUE(Near(Pixel(320, 240), {255, 255, 255}, 0));
}

class BillboardPixels : public RendererPixels {
  protected:
    void SetUp() override {
        RendererPixels::SetUp();
        // Particles at the origin and at (1, 0, 0), whose centre lands on x = 320 + 1.8106601
        // / 4 * 320 = 464.9. Half size 0.25: squares of about 2 x 29 pixels.
        FillMesh(mesh, {{0, 0, 0}, {1, 0, 0}}, {});
        renderer.SetMesh(&mesh);
        renderer.SetCamera(&camera);
        renderer.SetSize(0.25f);
        renderer.SetColor(0x00204060); // the colour's alpha plays no part
        application.ClearTarget(0x00808080);
    }
    BillboardRenderer renderer{application};
};

TEST_F(BillboardPixels, AlphaBlendAddsTheSpriteColour) {
    ASSERT_EQ(renderer.Render(), 0);
    SavePng("billboard-add");
    EXPECT_TRUE(Near(Pixel(320, 240), {0xA0, 0xC0, 0xE0}));
    EXPECT_TRUE(Near(Pixel(465, 240), {0xA0, 0xC0, 0xE0}));
    EXPECT_TRUE(Near(Pixel(392, 240), {0x80, 0x80, 0x80}, 0));
    EXPECT_TRUE(Near(Pixel(320, 200), {0x80, 0x80, 0x80}, 0));
}

TEST_F(BillboardPixels, SaturatedBlendMultipliesTheBackgroundBySpriteColour) {
    renderer.EnableSaturatedBlend();
    ASSERT_EQ(renderer.Render(), 0);
    SavePng("billboard-saturated");
    // No destination alpha: 0x80 x (0x20, 0x40, 0x60) / 255.
    EXPECT_TRUE(Near(Pixel(320, 240), {16, 32, 48}));
    EXPECT_TRUE(Near(Pixel(392, 240), {0x80, 0x80, 0x80}, 0));
}

TEST_F(BillboardPixels, SpikesReachToTheZeroPlane) {
    // A particle behind the origin, 10 from the eye; its left-top corner is pulled forward to
    // z = 0, 4 from the eye. Corners on screen: right-top (334.5, 225.5), right-bottom
    // (334.5, 254.5), left-bottom (305.5, 254.5), pinned left-top (283.8, 203.8).
    FillMesh(mesh, {{0, 0, 6}}, {});
    renderer.EnableSpikes();
    ASSERT_EQ(renderer.Render(), 0);
    SavePng("billboard-spike");
    EXPECT_TRUE(Near(Pixel(318, 228), {0xA0, 0xC0, 0xE0})); // inside (RT, RB, LT)
    EXPECT_TRUE(Near(Pixel(308, 238), {0xA0, 0xC0, 0xE0})); // inside (LT, RB, LB)
    EXPECT_TRUE(Near(Pixel(290, 212), {0xA0, 0xC0, 0xE0})); // near the pinned corner
    EXPECT_TRUE(Near(Pixel(305, 222), {0xA0, 0xC0, 0xE0})); // above where the square would end
    EXPECT_TRUE(Near(Pixel(290, 240), {0x80, 0x80, 0x80}, 0));
    EXPECT_TRUE(Near(Pixel(340, 206), {0x80, 0x80, 0x80}, 0));
}

} // namespace
