#include "support/FakeDirect3D.h"

#include <algorithm>

namespace {

FakeDirect3D* installed = nullptr;

IDirect3D8* CreateInstalled(UINT sdkVersion) {
    if (installed == nullptr || sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    ++installed->handedOut;
    return installed;
}

} // namespace

ScopedDirect3D::ScopedDirect3D(FakeDirect3D* fake) {
    installed = fake;
    SetDirect3DFactory(CreateInstalled);
}

ScopedDirect3D::~ScopedDirect3D() {
    installed = nullptr;
    SetDirect3DFactory(nullptr);
}

FakeDirect3D::FakeDirect3D() {
    modes = {{640, 480, 60, D3DFMT_X8R8G8B8}};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 4096;
    caps.MaxActiveLights = 8;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFF;
}

FakeDirect3D::~FakeDirect3D() = default;

std::vector<std::string> FakeDirect3D::NamesOfCalls() const {
    std::vector<std::string> names;
    for (const RecordedCall& c : calls_) {
        names.push_back(c.name);
    }
    return names;
}

int FakeDirect3D::CountOf(const std::string& name) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const RecordedCall& c) { return c.name == name; }));
}

RecordingDevice* FakeDirect3D::LastDevice() const {
    return devices_.empty() ? nullptr : devices_.back().get();
}

ULONG FakeDirect3D::Release() {
    calls_.push_back(Call("Release"));
    ++releases;
    return 0;
}

UINT FakeDirect3D::GetAdapterModeCount(UINT adapter) {
    calls_.push_back(Call("GetAdapterModeCount", adapter));
    return static_cast<UINT>(modes.size());
}

HRESULT FakeDirect3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
    calls_.push_back(Call("EnumAdapterModes", adapter, mode));
    if (displayMode == nullptr || mode >= modes.size() || failingEnumerations.count(mode) != 0) {
        return D3DERR_INVALIDCALL;
    }
    *displayMode = modes[mode];
    return D3D_OK;
}

HRESULT FakeDirect3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                      D3DFORMAT backBufferFormat, BOOL windowed) {
    calls_.push_back(
        Call("CheckDeviceType", adapter, type, displayFormat, backBufferFormat, windowed));
    return deviceTypeRejects.count(displayFormat) != 0 ? D3DERR_NOTAVAILABLE : D3D_OK;
}

HRESULT FakeDirect3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                        DWORD usage, D3DRESOURCETYPE resourceType,
                                        D3DFORMAT checkFormat) {
    calls_.push_back(
        Call("CheckDeviceFormat", adapter, type, adapterFormat, usage, resourceType, checkFormat));
    return depthFormatRejects.count(adapterFormat) != 0 ? D3DERR_NOTAVAILABLE : D3D_OK;
}

HRESULT FakeDirect3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                             D3DFORMAT renderTargetFormat,
                                             D3DFORMAT depthStencilFormat) {
    calls_.push_back(Call("CheckDepthStencilMatch", adapter, type, adapterFormat,
                          renderTargetFormat, depthStencilFormat));
    return depthMatchRejects.count(adapterFormat) != 0 ? D3DERR_NOTAVAILABLE : D3D_OK;
}

HRESULT FakeDirect3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* result) {
    calls_.push_back(Call("GetDeviceCaps", adapter, type));
    if (result == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(capsResult)) {
        return capsResult;
    }
    *result = caps;
    return D3D_OK;
}

HRESULT FakeDirect3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow,
                                   DWORD behaviorFlags, D3DPRESENT_PARAMETERS* parameters,
                                   IDirect3DDevice8** device) {
    RecordedCall call = Call("CreateDevice", adapter, type, behaviorFlags);
    call.object = focusWindow;
    if (parameters != nullptr) {
        call.parameters = *parameters;
    }
    calls_.push_back(call);
    if (device == nullptr || parameters == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *device = nullptr;
    lastDeviceRequest = DeviceRequest{adapter, type, focusWindow, behaviorFlags, *parameters};
    if (FAILED(createDeviceResult)) {
        return createDeviceResult;
    }
    devices_.push_back(std::make_unique<RecordingDevice>());
    if (prepareDevice) {
        prepareDevice(*devices_.back());
    }
    *device = devices_.back().get();
    return D3D_OK;
}
