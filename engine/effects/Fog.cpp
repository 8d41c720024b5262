#include "effects/Fog.h"

#include "platform/Application.h"

#include <bit>

namespace {
// The six fog states, in the order they are always set.
void SetFogStates(IDirect3DDevice8& device, DWORD enable, DWORD mode, D3DCOLOR color, float start,
                  float end) {
    device.SetRenderState(D3DRS_FOGENABLE, enable);
    device.SetRenderState(D3DRS_RANGEFOGENABLE, enable);
    device.SetRenderState(D3DRS_FOGVERTEXMODE, mode);
    device.SetRenderState(D3DRS_FOGCOLOR, color);
    device.SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(start));
    device.SetRenderState(D3DRS_FOGEND, std::bit_cast<DWORD>(end));
}
} // namespace

EngineResult EnableFog(Application& application, D3DCOLOR color, float start, float end) {
    if (!application.IsDeviceUsable()) {
        return engine_code::deviceNotUsable;
    }
    SetFogStates(*application.GetDevice(), TRUE, D3DFOG_LINEAR, color, start, end);
    return engine_code::ok;
}

EngineResult DisableFog(Application& application) {
    if (!application.IsDeviceUsable()) {
        return engine_code::deviceNotUsable;
    }
    SetFogStates(*application.GetDevice(), FALSE, D3DFOG_NONE, 0, 0.0f, 0.0f);
    return engine_code::ok;
}
