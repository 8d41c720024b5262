#include "GLTestDevice.h"

#include "platform/win32/Host.h"

#include <SDL2/SDL.h>

#include <cstring>
#include <set>
#include <utility>

namespace {

TEST(GLDirect3D, OffersCommonSizesInThreeFormatsAndAcceptsThemWithD16) {
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    std::set<std::pair<UINT, D3DFORMAT>> modes640;
    const UINT count = d3d->GetAdapterModeCount(0);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        ASSERT_EQ(d3d->EnumAdapterModes(0, i, &mode), D3D_OK);
        if (mode.Width == 640 && mode.Height == 480) {
            modes640.insert({mode.Width, mode.Format});
        }
        EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, TRUE), D3D_OK);
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, D3DFMT_D16),
                  D3D_OK);
        EXPECT_EQ(
            d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, mode.Format, mode.Format, D3DFMT_D16),
            D3D_OK);
    }
    EXPECT_EQ(modes640.size(), 3u);
    D3DDISPLAYMODE mode{};
    EXPECT_NE(d3d->EnumAdapterModes(0, count, &mode), D3D_OK);

    // Other adapters, device types and depth formats are refused.
    EXPECT_NE(d3d->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE),
              D3D_OK);
    EXPECT_NE(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DUSAGE_DEPTHSTENCIL,
                                     D3DRTYPE_SURFACE, D3DFMT_X8R8G8B8),
              D3D_OK);
    EXPECT_NE(d3d->CheckDepthStencilMatch(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8,
                                          D3DFMT_A8R8G8B8),
              D3D_OK);
    EXPECT_EQ(d3d->GetAdapterModeCount(1), 0u);

    D3DCAPS8 caps{};
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.DevCaps & (D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE),
              D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE);
    d3d->Release();
}

TEST(GLDirect3D, RefusesAnotherSdkVersion) {
    EXPECT_EQ(Direct3DCreate8(220), nullptr);
}

using GLDevice = GLDeviceTest;

TEST_F(GLDevice, ClearsTargetAndDepthSeparately) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00336699, 0, 0), D3D_OK);
    EXPECT_TRUE(Near(Pixel(0, 0), {0x33, 0x66, 0x99}));
    EXPECT_TRUE(Near(Pixel(639, 479), {0x33, 0x66, 0x99}));

    // Depth 0.25 everywhere: a quad at 0.5 fails the test, one at 0.25 passes (LESSEQUAL).
    device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE); // clearing must still write depth
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0x00FF0000, 0.25f, 0), D3D_OK);
    EXPECT_TRUE(Near(Pixel(320, 240), {0x33, 0x66, 0x99})) << "a depth clear left colour alone";
    DrawScreenQuad(0xFFFF0000, 0.5f);
    EXPECT_TRUE(Near(Pixel(320, 240), {0x33, 0x66, 0x99}));
    DrawScreenQuad(0xFF00FF00, 0.25f);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 0}));
}

TEST_F(GLDevice, ClearsOnlyTheGivenRectangles) {
    const D3DRECT rect{10, 20, 30, 40};
    ASSERT_EQ(device_->Clear(1, &rect, D3DCLEAR_TARGET, 0x00FFFFFF, 0, 0), D3D_OK);
    EXPECT_TRUE(Near(Pixel(10, 20), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(29, 39), {255, 255, 255}));
    EXPECT_TRUE(Near(Pixel(30, 39), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(29, 40), {0, 0, 0}));
    EXPECT_TRUE(Near(Pixel(9, 19), {0, 0, 0}));
}

TEST_F(GLDevice, PresentKeepsThePresentedPictureForReadBack) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00102030, 0, 0);
    EXPECT_EQ(Read(ReadBackSource::Presented).rgb[0], 0) << "black before the first Present";
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0, 0);
    const ReadBackImage& presented = Read(ReadBackSource::Presented);
    ASSERT_EQ(presented.width, 640);
    ASSERT_EQ(presented.height, 480);
    EXPECT_EQ(presented.rgb[0], 0x10);
    EXPECT_EQ(presented.rgb[1], 0x20);
    EXPECT_EQ(presented.rgb[2], 0x30);
    EXPECT_EQ(Read(ReadBackSource::Current).rgb[0], 0);
}

// In play the show is rendered at the asked size, 4:3 kept, as the capture host renders it;
// the presentation parameters stay 640 x 480.
TEST_F(GLDevice, RendersAtThePlayResolution) {
    int drawableWidth = 0;
    int drawableHeight = 0;
    SDL_GL_GetDrawableSize(window_, &drawableWidth, &drawableHeight);
    const host::PictureSize native = host::PictureFor(drawableWidth, drawableHeight);
    const struct {
        host::PlayResolution asked;
        int width;
        int height;
    } cases[] = {
        {{}, 640, 480},
        {{false, 1920, 1080}, 1440, 1080},
        {{false, 801, 1000}, 800, 600},
        {{true, 0, 0}, native.width, native.height},
    };
    indexBuffer_->Release();
    indexBuffer_ = nullptr;
    vertexBuffer_->Release();
    vertexBuffer_ = nullptr;
    for (const auto& c : cases) {
        device_->Release();
        device_ = nullptr;
        host::SetResolution(c.asked);
        ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, handle_, 0x50, &parameters_, &device_),
                  D3D_OK);
        host::SetResolution({});
        // A rectangle in back-buffer pixels covers the same part of the larger picture.
        const D3DRECT right{320, 0, 640, 480};
        device_->Clear(1, &right, D3DCLEAR_TARGET, 0x00102030, 0, 0);
        ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        const ReadBackImage& presented = Read(ReadBackSource::Presented);
        ASSERT_EQ(presented.width, c.width);
        ASSERT_EQ(presented.height, c.height);
        const std::size_t last = (static_cast<std::size_t>(c.width) * c.height - 1) * 3;
        EXPECT_EQ(presented.rgb[last], 0x10) << c.width;
        EXPECT_EQ(presented.rgb[(static_cast<std::size_t>(c.width) / 2 - 1) * 3], 0) << c.width;
    }
}

TEST_F(GLDevice, HiddenWindowIsLostThenNotResetUntilReset) {
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    ShowWindow(handle_, SW_HIDE);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->Reset(&parameters_), D3DERR_DEVICELOST);
    ShowWindow(handle_, SW_SHOW);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    ASSERT_EQ(device_->Reset(&parameters_), D3D_OK);
    EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(GLDevice, ResetRestoresDefaultStatesAndKeepsManagedTextures) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    *static_cast<std::uint32_t*>(locked.pBits) = 0xFF00FF00;
    texture->UnlockRect(0);

    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_FOGEND, 0);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    ShowWindow(handle_, SW_HIDE);
    device_->TestCooperativeLevel();
    ShowWindow(handle_, SW_SHOW);
    ASSERT_EQ(device_->Reset(&parameters_), D3D_OK);

    const std::pair<D3DRENDERSTATETYPE, DWORD> defaults[] = {
        {D3DRS_LIGHTING, TRUE},
        {D3DRS_CULLMODE, D3DCULL_CCW},
        {D3DRS_ZENABLE, TRUE},
        {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_ZWRITEENABLE, TRUE},
        {D3DRS_ALPHABLENDENABLE, FALSE},
        {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO},
        {D3DRS_FOGENABLE, FALSE},
        {D3DRS_FOGEND, 0x3F800000},
        {D3DRS_LOCALVIEWER, TRUE},
        {D3DRS_COLORVERTEX, TRUE},
        {D3DRS_AMBIENT, 0},
        {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
    };
    for (const auto& [state, value] : defaults) {
        DWORD actual = 0xDEAD;
        device_->GetRenderState(state, &actual);
        EXPECT_EQ(actual, value) << "render state " << state;
    }
    DWORD filter = 0;
    device_->GetTextureStageState(0, D3DTSS_MAGFILTER, &filter);
    EXPECT_EQ(filter, D3DTEXF_POINT);

    // The texture still draws after the reset.
    device_->SetTexture(0, texture);
    DrawScreenQuad(0xFFFFFFFF);
    EXPECT_TRUE(Near(Pixel(320, 240), {0, 255, 0}));
    texture->Release();
}

TEST_F(GLDevice, BuffersLockOnlyWithinTheirLength) {
    BYTE* data = nullptr;
    EXPECT_EQ(vertexBuffer_->Lock(0, 65536 * 36, &data, 0), D3D_OK);
    EXPECT_EQ(vertexBuffer_->Lock(36, 65536 * 36, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(indexBuffer_->Lock(196608 * 2, 1, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(indexBuffer_->Lock(2, 2, &data, 0), D3D_OK);
}

TEST_F(GLDevice, RefusesDrawsOutsideASceneOrBeyondTheBuffers) {
    device_->SetStreamSource(0, vertexBuffer_, 36);
    device_->SetVertexShader(0x152);
    device_->SetIndices(indexBuffer_, 0);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 196608 - 2, 1),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 65535, 2, 0, 1),
              D3DERR_INVALIDCALL);
    // An index outside the stated vertex range would read memory GL was not given.
    BYTE* data = nullptr;
    indexBuffer_->Lock(0, 0, &data, 0);
    const std::uint16_t far[3] = {0, 1, 500};
    std::memcpy(data, far, sizeof far);
    indexBuffer_->Unlock();
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 3, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 501, 0, 1), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(GLDevice, ReleasingTheDeviceFirstLeavesResourcesReleasable) {
    IDirect3DTexture8* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
              D3D_OK);
    device_->Release();
    device_ = nullptr;
    texture->Release();
    vertexBuffer_->Release();
    vertexBuffer_ = nullptr;
    indexBuffer_->Release();
    indexBuffer_ = nullptr;
}

} // namespace
