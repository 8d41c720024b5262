// The OpenGL device under the capture host: a larger, supersampled colour buffer behind the
// logical 640 x 480 back buffer, presents handed to the host, drawing switched off on request.
// Capture mode is process-wide, so these tests have their own executable.

#include "GLTestDevice.h"
#include "platform/win32/Host.h"

#include <tuple>
#include <vector>

namespace {

class GLCapture : public GLDeviceTest {
  protected:
    void SetUp() override {
        host::CaptureSettings settings;
        settings.width = 640;
        settings.height = 480;
        settings.supersample = 2;
        host::EnterCapture(settings);
        host::SetDrawingEnabled(true);
        GLDeviceTest::SetUp();
    }
    void TearDown() override {
        host::SetPresentHook(nullptr);
        host::SetDrawingEnabled(true);
        GLDeviceTest::TearDown();
    }
};

TEST_F(GLCapture, SupersampledPictureIsCentredLikeAPlainOne) {
    // A quad from (380.2, 210.2) to (499.8, 269.8) in Direct3D's screen coordinates (pixel
    // centres on integers), symmetric about (440, 240). A plain picture covers the pixels
    // 381..499 by 211..269; averaged down, the two edge columns and rows are covered by one
    // of each pixel's two samples across, alike on both sides.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    const float left = 380.2f / 320.0f - 1.0f;
    const float right = 499.8f / 320.0f - 1.0f;
    const float top = 1.0f - 210.2f / 240.0f;
    const float bottom = 1.0f - 269.8f / 240.0f;
    const std::uint32_t white = 0xFFFFFFFF;
    DrawQuad(Vertex(left, top, 0.5f, white), Vertex(right, top, 0.5f, white),
             Vertex(right, bottom, 0.5f, white), Vertex(left, bottom, 0.5f, white));
    const ReadBackImage& image = Read();
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    const Rgb half{128, 128, 128};
    for (const auto& [x, y, expected] :
         std::vector<std::tuple<int, int, Rgb>>{{379, 240, {0, 0, 0}},
                                                {380, 240, half},
                                                {381, 240, {255, 255, 255}},
                                                {499, 240, {255, 255, 255}},
                                                {500, 240, half},
                                                {501, 240, {0, 0, 0}},
                                                {440, 209, {0, 0, 0}},
                                                {440, 210, half},
                                                {440, 269, {255, 255, 255}},
                                                {440, 270, half},
                                                {440, 271, {0, 0, 0}}}) {
        EXPECT_TRUE(Near(Pixel(x, y), expected, 1)) << x << ", " << y;
    }
}

TEST_F(GLCapture, SupersampledPixelsAreAveragedDown) {
    // A quad whose left edge lies between the centres of the two real columns of logical
    // pixel 100 (the colour buffer is the picture moved by half a logical pixel): one covered,
    // so the logical pixel is half white.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    const float left = -1.0f + 200.25f / 640.0f; // real column 201 and on
    const std::uint32_t white = 0xFFFFFFFF;
    DrawQuad(Vertex(left, 1, 0.5f, white), Vertex(1, 1, 0.5f, white), Vertex(1, -1, 0.5f, white),
             Vertex(left, -1, 0.5f, white));
    EXPECT_TRUE(Near(Pixel(99, 50), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(100, 50), {128, 128, 128}, 1));
    EXPECT_TRUE(Near(Pixel(101, 50), {255, 255, 255}));
}

TEST_F(GLCapture, PresentHandsEachFrameToTheHostInsteadOfSwapping) {
    int presents = 0;
    Rgb seen{};
    host::SetPresentHook([&] {
        ++presents;
        seen = Pixel(10, 10);
    });
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00204060, 0, 0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(presents, 1);
    EXPECT_TRUE(Near(seen, {0x20, 0x40, 0x60}));
    // A hidden window does not make the capture device lost.
    ShowWindow(handle_, SW_HIDE);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(presents, 2);
}

TEST_F(GLCapture, WithDrawingOffClearsAndDrawsLeaveThePictureAlone) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00FF0000, 0, 0);
    host::SetDrawingEnabled(false);
    int presents = 0;
    host::SetPresentHook([&] { ++presents; });
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x000000FF, 0, 0);
    DrawScreenQuad(0xFF00FF00);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(presents, 1);
    EXPECT_TRUE(Near(Pixel(320, 240), {255, 0, 0}));
    // States set meanwhile are kept and apply once drawing is back.
    DWORD cull = 0;
    device_->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));
    host::SetDrawingEnabled(true);
    DrawScreenQuad(0xFF00FF00);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 0}));
}

} // namespace
