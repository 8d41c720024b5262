#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GLContext.h"
#include "platform/d3d8/GLDirect3D.h"
#include "platform/win32/Host.h"
#include "platform/win32/Windows.h"

namespace {

Direct3DFactory installedFactory = nullptr;

} // namespace

void SetDirect3DFactory(Direct3DFactory factory) {
    installedFactory = factory;
}

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    if (installedFactory != nullptr) {
        return installedFactory(sdkVersion);
    }
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    if (!host::IsCapture() && !HostHasDisplay()) {
        OutputDebugStringA("No display to play on: neither DISPLAY nor WAYLAND_DISPLAY is set.\n");
        return nullptr;
    }
    return CreateGLDirect3D();
}
