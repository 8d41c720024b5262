#include "platform/d3d8/GLDirect3D.h"

#include "platform/d3d8/GLContext.h"
#include "platform/d3d8/GLDevice.h"

#include <array>
#include <new>

namespace {

struct ModeSize {
    UINT width;
    UINT height;
};

// Every size in every display format, smallest size first.
constexpr std::array<ModeSize, 5> kModeSizes{
    {{640, 480}, {800, 600}, {1024, 768}, {1280, 960}, {1280, 1024}}};
constexpr std::array<D3DFORMAT, 3> kDisplayFormats{D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
constexpr UINT kRefreshRate = 60;

bool IsDisplayFormat(D3DFORMAT format) {
    for (D3DFORMAT f : kDisplayFormats) {
        if (f == format) {
            return true;
        }
    }
    return false;
}

class GLDirect3D final : public IDirect3D8 {
  public:
    ULONG Release() override {
        StopGLVideo();
        delete this;
        return 0;
    }

    UINT GetAdapterModeCount(UINT adapter) override {
        return adapter == 0 ? static_cast<UINT>(kModeSizes.size() * kDisplayFormats.size()) : 0;
    }

    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override {
        if (adapter != 0 || displayMode == nullptr || mode >= GetAdapterModeCount(0)) {
            return D3DERR_INVALIDCALL;
        }
        const ModeSize& size = kModeSizes[mode / kDisplayFormats.size()];
        displayMode->Width = size.width;
        displayMode->Height = size.height;
        displayMode->RefreshRate = kRefreshRate;
        displayMode->Format = kDisplayFormats[mode % kDisplayFormats.size()];
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL) override {
        if (adapter != 0) {
            return D3DERR_INVALIDCALL;
        }
        const bool ok = type == D3DDEVTYPE_HAL && IsDisplayFormat(displayFormat) &&
                        backBufferFormat == displayFormat;
        return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override {
        if (adapter != 0) {
            return D3DERR_INVALIDCALL;
        }
        if (type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) {
            return D3DERR_NOTAVAILABLE;
        }
        const bool depth = usage == D3DUSAGE_DEPTHSTENCIL && resourceType == D3DRTYPE_SURFACE &&
                           checkFormat == D3DFMT_D16;
        const bool texture = (usage & D3DUSAGE_DEPTHSTENCIL) == 0 &&
                             resourceType == D3DRTYPE_TEXTURE &&
                             (checkFormat == D3DFMT_A8R8G8B8 || checkFormat == D3DFMT_X8R8G8B8);
        return depth || texture ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) override {
        if (adapter != 0) {
            return D3DERR_INVALIDCALL;
        }
        const bool ok = type == D3DDEVTYPE_HAL && IsDisplayFormat(adapterFormat) &&
                        IsDisplayFormat(renderTargetFormat) && depthStencilFormat == D3DFMT_D16;
        return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override {
        if (adapter != 0 || caps == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        *caps = D3DCAPS8{};
        caps->DeviceType = D3DDEVTYPE_HAL;
        caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE;
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
        caps->MaxTextureWidth = 4096;
        caps->MaxTextureHeight = 4096;
        caps->MaxActiveLights = GLDevice::kMaxLights;
        caps->MaxPrimitiveCount = 0xFFFFF;
        caps->MaxVertexIndex = 0xFFFF;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override {
        if (device == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        *device = nullptr;
        if (adapter != 0 || parameters == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        if (type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        HWND windowHandle =
            parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
        if (IsWindow(windowHandle) == FALSE) {
            return D3DERR_INVALIDCALL;
        }
        return GLDevice::Create(windowHandle, *parameters, device);
    }

  private:
    ~GLDirect3D() override = default;
};

} // namespace

IDirect3D8* CreateGLDirect3D() {
    if (!StartGLVideo()) {
        return nullptr;
    }
    auto* direct3d = new (std::nothrow) GLDirect3D();
    if (direct3d == nullptr) {
        StopGLVideo();
    }
    return direct3d;
}
