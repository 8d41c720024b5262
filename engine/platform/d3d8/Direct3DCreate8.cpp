#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GLDirect3D.h"

namespace {
Direct3DFactory installedFactory = nullptr;
}

void SetDirect3DFactory(Direct3DFactory factory) { installedFactory = factory; }

IDirect3D8* Direct3DCreate8(UINT sdkVersion) {
    if (installedFactory != nullptr) {
        return installedFactory(sdkVersion);
    }
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    return CreateGLDirect3D();
}
