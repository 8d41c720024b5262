#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GLDirect3D.h"
#include "platform/win32/Host.h"
#include "platform/win32/Windows.h"

#include <cstdlib>

namespace {

Direct3DFactory installedFactory = nullptr;

bool Set(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// Playing needs a screen. Without any, SDL would quietly pick its off-screen driver and the
// show would play where nobody sees it; an explicit SDL_VIDEODRIVER is the user's own choice.
bool DisplayAvailable() {
    return host::IsCapture() || Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("SDL_VIDEODRIVER");
}

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
    if (!DisplayAvailable()) {
        OutputDebugStringA("No display to play on: neither DISPLAY nor WAYLAND_DISPLAY is set.\n");
        return nullptr;
    }
    return CreateGLDirect3D();
}
