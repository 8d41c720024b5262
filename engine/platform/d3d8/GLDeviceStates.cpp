// Recording of states, transforms, lights, the material and bindings as the device receives
// them; GLApplyStates.cpp gives them to GL and the shaders at the next draw.

#include "platform/d3d8/GLDevice.h"

#include <cstring>

namespace {

constexpr D3DMATRIX kIdentity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

// Render states without a declared name whose defaults still matter to a reset device.
constexpr DWORD kFillMode = 8;
constexpr DWORD kLastPixel = 16;
constexpr DWORD kClipping = 136;
constexpr DWORD kColorWriteEnable = 168;

DWORD FloatBits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

void GLDevice::SetDefaultStates() {
    renderStates_.fill(0);
    auto& rs = renderStates_;
    rs[D3DRS_ZENABLE] = parameters_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[kFillMode] = 3; // solid
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[kLastPixel] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[kAlphaFuncState] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGSTART] = FloatBits(0.0f);
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[kClipping] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    rs[kColorWriteEnable] = 0xF;

    for (DWORD stage = 0; stage < kMaxStages; ++stage) {
        auto& ss = stageStates_[stage];
        ss.fill(0);
        ss[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ss[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ss[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ss[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ss[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ss[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ss[D3DTSS_TEXCOORDINDEX] = stage;
        ss[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        ss[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        ss[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        ss[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        ss[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    }
    world_ = view_ = projection_ = kIdentity;
    material_ = D3DMATERIAL8{};
    lights_ = {};
    dirty_ = kDirtyAll;
}

float GLDevice::RenderStateFloat(DWORD state) const {
    float value;
    std::memcpy(&value, &renderStates_[state], sizeof value);
    return value;
}

HRESULT GLDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    D3DMATRIX* target = nullptr;
    std::uint32_t flag = 0;
    switch (state) {
    case D3DTS_WORLD:
        target = &world_;
        flag = kDirtyWorld;
        break;
    case D3DTS_VIEW:
        target = &view_;
        flag = kDirtyViewLights;
        break;
    case D3DTS_PROJECTION:
        target = &projection_;
        flag = kDirtyProjection;
        break;
    default:
        return D3DERR_INVALIDCALL;
    }
    if (std::memcmp(target, matrix, sizeof *matrix) != 0) {
        *target = *matrix;
        dirty_ |= flag;
    }
    return D3D_OK;
}

HRESULT GLDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    switch (state) {
    case D3DTS_WORLD:
        *matrix = world_;
        return D3D_OK;
    case D3DTS_VIEW:
        *matrix = view_;
        return D3D_OK;
    case D3DTS_PROJECTION:
        *matrix = projection_;
        return D3D_OK;
    default:
        return D3DERR_INVALIDCALL;
    }
}

HRESULT GLDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (state >= kRenderStateCount) {
        return D3DERR_INVALIDCALL;
    }
    if (renderStates_[state] == value) {
        return D3D_OK;
    }
    renderStates_[state] = value;
    switch (static_cast<DWORD>(state)) {
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
        dirty_ |= kDirtyDepth;
        break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_ALPHABLENDENABLE:
        dirty_ |= kDirtyBlend;
        break;
    case D3DRS_ALPHATESTENABLE:
    case kAlphaRefState:
    case kAlphaFuncState:
        dirty_ |= kDirtyAlphaTest;
        break;
    case D3DRS_CULLMODE:
        dirty_ |= kDirtyCull;
        break;
    case D3DRS_SHADEMODE:
        dirty_ |= kDirtyShade;
        break;
    case D3DRS_LIGHTING:
    case D3DRS_AMBIENT:
    case D3DRS_SPECULARENABLE:
    case D3DRS_LOCALVIEWER:
    case D3DRS_NORMALIZENORMALS:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
        dirty_ |= kDirtyLighting;
        break;
    case D3DRS_FOGENABLE:
    case D3DRS_FOGCOLOR:
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_RANGEFOGENABLE:
    case D3DRS_FOGVERTEXMODE:
        dirty_ |= kDirtyFog;
        break;
    default:
        break; // recorded only
    }
    return D3D_OK;
}

HRESULT GLDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (state >= kRenderStateCount || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT GLDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kMaxStages || type >= kStageStateCount) {
        return D3DERR_INVALIDCALL;
    }
    DWORD& slot = stageStates_[stage][type];
    if (slot == value) {
        return D3D_OK;
    }
    slot = value;
    if (stage != 0) {
        return D3D_OK; // stages above 0 stay disabled
    }
    switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
        dirty_ |= kDirtyCombine;
        break;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
    case D3DTSS_MIPFILTER:
        dirty_ |= kDirtyTexture;
        break;
    default:
        break;
    }
    return D3D_OK;
}

HRESULT GLDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (stage >= kMaxStages || type >= kStageStateCount || value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = stageStates_[stage][type];
    return D3D_OK;
}

HRESULT GLDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    if (stage >= kMaxStages) {
        return D3DERR_INVALIDCALL;
    }
    auto* glTexture = dynamic_cast<GLTexture*>(texture);
    if (texture != nullptr && glTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (stage == 0 && glTexture != texture_) {
        texture_ = glTexture;
        dirty_ |= kDirtyTexture;
    }
    return D3D_OK;
}

HRESULT GLDevice::SetMaterial(const D3DMATERIAL8* material) {
    if (material == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    material_ = *material;
    dirty_ |= kDirtyLighting;
    return D3D_OK;
}

HRESULT GLDevice::SetLight(DWORD index, const D3DLIGHT8* light) {
    if (index >= kMaxLights || light == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    lights_[index].light = *light;
    dirty_ |= kDirtyViewLights;
    return D3D_OK;
}

HRESULT GLDevice::LightEnable(DWORD index, BOOL enable) {
    if (index >= kMaxLights) {
        return D3DERR_INVALIDCALL;
    }
    LightSlot& slot = lights_[index];
    if (slot.light.Type == 0) {
        // Enabling a light never set gives Direct3D's default: white, directional, along +z.
        slot.light.Type = D3DLIGHT_DIRECTIONAL;
        slot.light.Diffuse = {1, 1, 1, 0};
        slot.light.Direction = {0, 0, 1};
    }
    if (slot.enabled != (enable != FALSE)) {
        slot.enabled = enable != FALSE;
        dirty_ |= kDirtyViewLights;
    }
    return D3D_OK;
}

HRESULT GLDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    auto* glBuffer = dynamic_cast<GLVertexBuffer*>(buffer);
    if (stream != 0 || (buffer != nullptr && glBuffer == nullptr)) {
        return D3DERR_INVALIDCALL;
    }
    stream_ = glBuffer;
    if (stride != streamStride_) {
        streamStride_ = stride;
        dirty_ |= kDirtyLayout;
    }
    return D3D_OK;
}

HRESULT GLDevice::SetVertexShader(DWORD handle) {
    if ((handle & D3DFVF_XYZ) == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (handle != fvf_) {
        fvf_ = handle;
        dirty_ |= kDirtyLayout; // also the colour sources: a vertex colour may come or go
    }
    return D3D_OK;
}

HRESULT GLDevice::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
    auto* glBuffer = dynamic_cast<GLIndexBuffer*>(buffer);
    if (buffer != nullptr && glBuffer == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    indices_ = glBuffer;
    baseVertexIndex_ = baseVertexIndex;
    return D3D_OK;
}

HRESULT GLDevice::BeginScene() {
    if (inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT GLDevice::EndScene() {
    if (!inScene_) {
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}
