// The OpenGL device under the capture host: a larger, supersampled colour buffer behind the
// logical 640 x 480 back buffer, presents handed to the host, drawing switched off on request.
// Capture mode is process-wide, so these tests have their own executable.

#include "GLTestDevice.h"
#include "platform/win32/Host.h"

namespace {

constexpr D3DMATRIX kIdentity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

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

TEST_F(GLCapture, SupersampledPictureKeepsDirect3DsPixelPlacement) {
    // The same quad as in play mode: its top-left corner on the centre of logical pixel
    // (380, 210), that is of real pixel (760, 420), covered by the top-left rule.
    D3DMATRIX view = kIdentity;
    view.m[3][2] = 4;
    D3DMATRIX projection{};
    projection.m[0][0] = 0.75f;
    projection.m[1][1] = 1;
    projection.m[2][2] = 100.0f / 99.0f;
    projection.m[2][3] = 1;
    projection.m[3][2] = -100.0f / 99.0f;
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    const std::uint32_t white = 0xFFFFFFFF;
    DrawQuad(Vertex(1, 0.5f, 0, white), Vertex(3, 0.5f, 0, white), Vertex(3, -0.5f, 0, white),
             Vertex(1, -0.5f, 0, white));
    const ReadBackImage& image = Read();
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    EXPECT_TRUE(Near(Pixel(380, 210), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(379, 210), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(380, 209), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(499, 269), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(500, 269), {0, 0, 0}));
}

TEST_F(GLCapture, SupersampledPixelsAreAveragedDown) {
    // A quad whose left edge sits half-way across logical pixel 100: two real columns, one
    // covered, so the logical pixel is half white.
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    const float left = -1.0f + 100.5f / 320.0f - 0.25f / 320.0f; // real column 201 and on
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
