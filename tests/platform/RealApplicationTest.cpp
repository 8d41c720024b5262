// The application on the real OpenGL layer, headless (SDL's offscreen driver under ctest).

#include "platform/FullscreenApplication.h"
#include "platform/d3d8/ReadBack.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

Rgb At(const ReadBackImage& image, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * image.width + x) * 3;
    return {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
}

// Every pixel of a coarse grid and the four corners.
void ExpectUniform(const ReadBackImage& image, Rgb colour) {
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 480);
    for (int y = 0; y < 480; y += 53) {
        for (int x = 0; x < 640; x += 71) {
            ASSERT_EQ(At(image, x, y), colour) << x << ", " << y;
        }
    }
    for (auto [x, y] : {std::pair{0, 0}, {639, 0}, {0, 479}, {639, 479}}) {
        ASSERT_EQ(At(image, x, y), colour) << x << ", " << y;
    }
}

TEST(RealApplication, CreatesClearsAndPresentsOnTheOpenGLDevice) {
    FullscreenApplication app(0);
    ASSERT_EQ(app.Create(640, 480), 0);
    EXPECT_TRUE(app.IsActive());
    EXPECT_TRUE(app.IsDeviceUsable());
    ASSERT_NE(app.GetVertexBuffer(), nullptr);
    ASSERT_NE(app.GetIndexBuffer(), nullptr);
    EXPECT_TRUE(app.SetTitle("Vellomire"));

    ReadBackImage image;
    ASSERT_TRUE(ReadBack(app.GetDevice(), ReadBackSource::Current, image));
    ExpectUniform(image, {0, 0, 0}); // Create cleared to black

    app.ClearTarget(0x00FF8040);
    ASSERT_TRUE(ReadBack(app.GetDevice(), ReadBackSource::Current, image));
    ExpectUniform(image, {0xFF, 0x80, 0x40});

    ASSERT_EQ(app.Update(), 0);
    ASSERT_TRUE(ReadBack(app.GetDevice(), ReadBackSource::Presented, image));
    ExpectUniform(image, {0xFF, 0x80, 0x40});
    ASSERT_TRUE(ReadBack(app.GetDevice(), ReadBackSource::Current, image));
    ExpectUniform(image, {0, 0, 0}); // cleared for the next frame
    app.Release();
    EXPECT_EQ(app.GetDevice(), nullptr);
}

TEST(RealApplication, RecoversWhenTheWindowComesBack) {
    FullscreenApplication app(0);
    ASSERT_EQ(app.Create(640, 480), 0);
    ShowWindow(app.GetWindowHandle(), SW_HIDE); // the device takes it as minimised: lost
    EXPECT_EQ(app.Update(), 0);
    EXPECT_FALSE(app.IsDeviceUsable());
    EXPECT_EQ(app.Update(), 0);
    EXPECT_FALSE(app.IsDeviceUsable());

    ShowWindow(app.GetWindowHandle(), SW_SHOW);
    EXPECT_EQ(app.Update(), 0); // not reset: buffers re-created, device reset
    EXPECT_TRUE(app.IsDeviceUsable());
    EXPECT_TRUE(app.IsActive());
    EXPECT_NE(app.GetVertexBuffer(), nullptr);

    app.ClearTarget(0x00102030);
    ASSERT_EQ(app.Update(), 0);
    ReadBackImage image;
    ASSERT_TRUE(ReadBack(app.GetDevice(), ReadBackSource::Presented, image));
    ExpectUniform(image, {0x10, 0x20, 0x30});
}

} // namespace
