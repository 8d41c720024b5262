#include "support/RecordingDevice.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <sstream>

namespace {

constexpr D3DRENDERSTATETYPE knownRenderStates[] = {
    D3DRS_ZENABLE,
    D3DRS_SHADEMODE,
    D3DRS_ZWRITEENABLE,
    D3DRS_ALPHATESTENABLE,
    D3DRS_SRCBLEND,
    D3DRS_DESTBLEND,
    D3DRS_CULLMODE,
    D3DRS_ZFUNC,
    D3DRS_DITHERENABLE,
    D3DRS_ALPHABLENDENABLE,
    D3DRS_FOGENABLE,
    D3DRS_SPECULARENABLE,
    D3DRS_FOGCOLOR,
    D3DRS_FOGTABLEMODE,
    D3DRS_FOGSTART,
    D3DRS_FOGEND,
    D3DRS_FOGDENSITY,
    D3DRS_RANGEFOGENABLE,
    D3DRS_LIGHTING,
    D3DRS_AMBIENT,
    D3DRS_FOGVERTEXMODE,
    D3DRS_COLORVERTEX,
    D3DRS_LOCALVIEWER,
    D3DRS_NORMALIZENORMALS,
    D3DRS_DIFFUSEMATERIALSOURCE,
    D3DRS_SPECULARMATERIALSOURCE,
    D3DRS_AMBIENTMATERIALSOURCE,
    D3DRS_EMISSIVEMATERIALSOURCE,
};

constexpr D3DTEXTURESTAGESTATETYPE knownStageStates[] = {
    D3DTSS_COLOROP,   D3DTSS_COLORARG1, D3DTSS_COLORARG2,     D3DTSS_ALPHAOP,
    D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2, D3DTSS_TEXCOORDINDEX, D3DTSS_ADDRESSU,
    D3DTSS_ADDRESSV,  D3DTSS_MAGFILTER, D3DTSS_MINFILTER,     D3DTSS_MIPFILTER,
};

D3DMATRIX Identity() {
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i) {
        m.m[i][i] = 1.0f;
    }
    return m;
}

DWORD FloatBits(float value) {
    return std::bit_cast<DWORD>(value);
}

template <class T> std::vector<T*> Pointers(const std::vector<std::unique_ptr<T>>& owned) {
    std::vector<T*> result;
    for (const auto& p : owned) {
        result.push_back(p.get());
    }
    return result;
}

// Locks [offset, offset + size) of bytes; size 0 means up to the end.
HRESULT LockRange(RecordingDevice& device, const char* what, std::vector<BYTE>& bytes, bool& locked,
                  bool released, HRESULT lockResult, UINT offset, UINT size, BYTE** data) {
    if (data == nullptr) {
        device.Breach(std::string(what) + " with no data pointer");
        return D3DERR_INVALIDCALL;
    }
    *data = nullptr;
    if (released) {
        device.Breach(std::string(what) + " of a released buffer");
        return D3DERR_INVALIDCALL;
    }
    if (locked) {
        device.Breach(std::string(what) + " of a buffer already locked");
        return D3DERR_INVALIDCALL;
    }
    const std::size_t end = size == 0 ? bytes.size() : std::size_t{offset} + size;
    if (offset > bytes.size() || end > bytes.size()) {
        device.Breach(std::string(what) + " beyond the end of the buffer");
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(lockResult)) {
        return lockResult;
    }
    locked = true;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT UnlockBuffer(RecordingDevice& device, const char* what, bool& locked) {
    if (!locked) {
        device.Breach(std::string(what) + " of a buffer that is not locked");
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return D3D_OK;
}

} // namespace

// ---- resources

RecordingVertexBuffer::RecordingVertexBuffer(RecordingDevice& device, UINT length, DWORD usage_,
                                             DWORD fvf_, D3DPOOL pool_)
    : bytes(length), usage(usage_), fvf(fvf_), pool(pool_), device_(device) {}

ULONG RecordingVertexBuffer::Release() {
    device_.Record(CallOn(this, "VertexBuffer::Release"));
    if (released) {
        device_.Breach("VertexBuffer::Release of a released buffer");
    }
    released = true;
    return 0;
}

HRESULT RecordingVertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    device_.Record(CallOn(this, "VertexBuffer::Lock", offset, size, flags));
    return LockRange(device_, "VertexBuffer::Lock", bytes, locked, released, lockResult, offset,
                     size, data);
}

HRESULT RecordingVertexBuffer::Unlock() {
    device_.Record(CallOn(this, "VertexBuffer::Unlock"));
    return UnlockBuffer(device_, "VertexBuffer::Unlock", locked);
}

RecordingIndexBuffer::RecordingIndexBuffer(RecordingDevice& device, UINT length, DWORD usage_,
                                           D3DFORMAT format_, D3DPOOL pool_)
    : bytes(length), usage(usage_), format(format_), pool(pool_), device_(device) {}

ULONG RecordingIndexBuffer::Release() {
    device_.Record(CallOn(this, "IndexBuffer::Release"));
    if (released) {
        device_.Breach("IndexBuffer::Release of a released buffer");
    }
    released = true;
    return 0;
}

HRESULT RecordingIndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
    device_.Record(CallOn(this, "IndexBuffer::Lock", offset, size, flags));
    return LockRange(device_, "IndexBuffer::Lock", bytes, locked, released, lockResult, offset,
                     size, data);
}

HRESULT RecordingIndexBuffer::Unlock() {
    device_.Record(CallOn(this, "IndexBuffer::Unlock"));
    return UnlockBuffer(device_, "IndexBuffer::Unlock", locked);
}

std::uint16_t RecordingIndexBuffer::Index(std::size_t i) const {
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + 2 * i, 2);
    return value;
}

RecordingTexture::RecordingTexture(RecordingDevice& device, UINT width_, UINT height_, UINT levels_,
                                   DWORD usage_, D3DFORMAT format_, D3DPOOL pool_)
    : width(width_), height(height_), levels(levels_), usage(usage_), format(format_), pool(pool_),
      texels(std::size_t{width_} * height_), device_(device) {}

ULONG RecordingTexture::Release() {
    device_.Record(CallOn(this, "Texture::Release"));
    if (released) {
        device_.Breach("Texture::Release of a released texture");
    }
    released = true;
    return 0;
}

HRESULT RecordingTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    device_.Record(CallOn(this, "Texture::GetLevelDesc", level));
    if (desc == nullptr || level != 0) {
        device_.Breach("Texture::GetLevelDesc of a level that does not exist");
        return D3DERR_INVALIDCALL;
    }
    *desc = {};
    desc->Format = format;
    desc->Type = D3DRTYPE_TEXTURE;
    desc->Usage = usage;
    desc->Pool = pool;
    desc->Size = width * height * 4;
    desc->Width = width;
    desc->Height = height;
    return D3D_OK;
}

HRESULT RecordingTexture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect,
                                   DWORD flags) {
    device_.Record(CallOn(this, "Texture::LockRect", level, flags));
    if (lockedRect == nullptr || level != 0 || released || locked) {
        device_.Breach("Texture::LockRect of a missing level, a released or a locked texture");
        return D3DERR_INVALIDCALL;
    }
    if (FAILED(lockResult)) {
        return lockResult;
    }
    std::size_t first = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(width) ||
            rect->bottom > static_cast<LONG>(height) || rect->left >= rect->right ||
            rect->top >= rect->bottom) {
            device_.Breach("Texture::LockRect of a rectangle outside the texture");
            return D3DERR_INVALIDCALL;
        }
        first = static_cast<std::size_t>(rect->top) * width + static_cast<std::size_t>(rect->left);
    }
    locked = true;
    lockedRect->Pitch = static_cast<int>(width * 4);
    lockedRect->pBits = texels.data() + first;
    return D3D_OK;
}

HRESULT RecordingTexture::UnlockRect(UINT level) {
    device_.Record(CallOn(this, "Texture::UnlockRect", level));
    if (!locked || level != 0) {
        device_.Breach("Texture::UnlockRect of a texture that is not locked");
        return D3DERR_INVALIDCALL;
    }
    locked = false;
    return D3D_OK;
}

// ---- draws

DWORD RecordedDraw::RenderState(D3DRENDERSTATETYPE state) const {
    auto found = renderStates.find(state);
    return found != renderStates.end() ? found->second : RecordingDevice::DefaultRenderState(state);
}

DWORD RecordedDraw::TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE stageType) const {
    auto found = stageStates.find({stage, stageType});
    return found != stageStates.end() ? found->second
                                      : RecordingDevice::DefaultTextureStageState(stage, stageType);
}

// ---- device

RecordingDevice::RecordingDevice() {
    RestoreDefaults();
}

RecordingDevice::~RecordingDevice() = default;

DWORD RecordingDevice::DefaultRenderState(DWORD state) {
    switch (state) {
    case D3DRS_ZENABLE:
        return D3DZB_TRUE; // the device has an automatic depth buffer
    case D3DRS_SHADEMODE:
        return D3DSHADE_GOURAUD;
    case D3DRS_ZWRITEENABLE:
        return TRUE;
    case D3DRS_SRCBLEND:
        return D3DBLEND_ONE;
    case D3DRS_DESTBLEND:
        return D3DBLEND_ZERO;
    case D3DRS_CULLMODE:
        return D3DCULL_CCW;
    case D3DRS_ZFUNC:
        return D3DCMP_LESSEQUAL;
    case D3DRS_FOGEND:
        return FloatBits(1.0f);
    case D3DRS_FOGDENSITY:
        return FloatBits(1.0f);
    case D3DRS_LIGHTING:
        return TRUE;
    case D3DRS_COLORVERTEX:
        return TRUE;
    case D3DRS_LOCALVIEWER:
        return TRUE;
    case D3DRS_DIFFUSEMATERIALSOURCE:
        return D3DMCS_COLOR1;
    case D3DRS_SPECULARMATERIALSOURCE:
        return D3DMCS_COLOR2;
    default:
        return 0; // everything else off, zero, NONE or MATERIAL
    }
}

DWORD RecordingDevice::DefaultTextureStageState(DWORD stage, DWORD type) {
    switch (type) {
    case D3DTSS_COLOROP:
        return stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    case D3DTSS_ALPHAOP:
        return stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    case D3DTSS_COLORARG1:
    case D3DTSS_ALPHAARG1:
        return D3DTA_TEXTURE;
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAARG2:
        return D3DTA_CURRENT;
    case D3DTSS_TEXCOORDINDEX:
        return stage;
    case D3DTSS_ADDRESSU:
    case D3DTSS_ADDRESSV:
        return D3DTADDRESS_WRAP;
    case D3DTSS_MAGFILTER:
    case D3DTSS_MINFILTER:
        return D3DTEXF_POINT;
    case D3DTSS_MIPFILTER:
        return D3DTEXF_NONE;
    default:
        return 0;
    }
}

void RecordingDevice::RestoreDefaults() {
    renderStates_.clear();
    for (D3DRENDERSTATETYPE state : knownRenderStates) {
        renderStates_[state] = DefaultRenderState(state);
    }
    stageStates_.clear();
    for (DWORD stage = 0; stage < stageCount; ++stage) {
        for (D3DTEXTURESTAGESTATETYPE type : knownStageStates) {
            stageStates_[{stage, type}] = DefaultTextureStageState(stage, type);
        }
    }
    transforms_.clear();
    for (DWORD state : {DWORD{D3DTS_VIEW}, DWORD{D3DTS_PROJECTION}, DWORD{D3DTS_WORLD}}) {
        transforms_[state] = Identity();
    }
    material_ = {};
    lights_.clear();
    lightEnabled_.clear();
    std::fill(std::begin(textures_), std::end(textures_), nullptr);
    streamSource_ = nullptr;
    stride_ = 0;
    vertexShader_ = 0;
    indices_ = nullptr;
    baseVertexIndex_ = 0;
}

RecordedCall& RecordingDevice::Record(RecordedCall call) {
    if (released_) {
        Breach(call.name + " after the device was released");
    }
    calls_.push_back(std::move(call));
    return calls_.back();
}

void RecordingDevice::Breach(std::string what) {
    misuse_.push_back(std::move(what));
}

bool RecordingDevice::Live(const void* resource) const {
    for (const auto& b : vertexBuffers_) {
        if (b.get() == resource) {
            return !b->released;
        }
    }
    for (const auto& b : indexBuffers_) {
        if (b.get() == resource) {
            return !b->released;
        }
    }
    for (const auto& t : ownedTextures_) {
        if (t.get() == resource) {
            return !t->released;
        }
    }
    return false;
}

std::vector<RecordedCall> RecordingDevice::CallsNamed(const std::string& name) const {
    std::vector<RecordedCall> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [&](const RecordedCall& c) { return c.name == name; });
    return result;
}

std::vector<std::string> RecordingDevice::NamesOfCalls() const {
    std::vector<std::string> names;
    for (const RecordedCall& c : calls_) {
        names.push_back(c.name);
    }
    return names;
}

int RecordingDevice::CountOf(const std::string& name) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const RecordedCall& c) { return c.name == name; }));
}

DWORD RecordingDevice::RenderState(D3DRENDERSTATETYPE state) const {
    auto found = renderStates_.find(state);
    return found != renderStates_.end() ? found->second : DefaultRenderState(state);
}

DWORD RecordingDevice::TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    auto found = stageStates_.find({stage, type});
    return found != stageStates_.end() ? found->second : DefaultTextureStageState(stage, type);
}

D3DMATRIX RecordingDevice::Transform(D3DTRANSFORMSTATETYPE state) const {
    auto found = transforms_.find(state);
    return found != transforms_.end() ? found->second : Identity();
}

IDirect3DBaseTexture8* RecordingDevice::BoundTexture(DWORD stage) const {
    return stage < stageCount ? textures_[stage] : nullptr;
}

bool RecordingDevice::IsLightEnabled(DWORD index) const {
    auto found = lightEnabled_.find(index);
    return found != lightEnabled_.end() && found->second;
}

const D3DLIGHT8* RecordingDevice::LightAt(DWORD index) const {
    auto found = lights_.find(index);
    return found != lights_.end() ? &found->second : nullptr;
}

std::vector<std::string> RecordingDevice::StatesDifferingFromDefaults() const {
    std::vector<std::string> result;
    for (const auto& [state, value] : renderStates_) {
        if (value != DefaultRenderState(state)) {
            std::ostringstream text;
            text << "render state " << state << " = " << value << " (default "
                 << DefaultRenderState(state) << ")";
            result.push_back(text.str());
        }
    }
    for (const auto& [key, value] : stageStates_) {
        const DWORD expected = DefaultTextureStageState(key.first, key.second);
        if (value != expected) {
            std::ostringstream text;
            text << "stage " << key.first << " state " << key.second << " = " << value
                 << " (default " << expected << ")";
            result.push_back(text.str());
        }
    }
    return result;
}

std::vector<RecordingVertexBuffer*> RecordingDevice::VertexBuffers() const {
    return Pointers(vertexBuffers_);
}
std::vector<RecordingIndexBuffer*> RecordingDevice::IndexBuffers() const {
    return Pointers(indexBuffers_);
}
std::vector<RecordingTexture*> RecordingDevice::Textures() const {
    return Pointers(ownedTextures_);
}

ULONG RecordingDevice::Release() {
    if (released_) {
        Breach("Release of a released device");
    }
    Record(Call("Release"));
    released_ = true;
    return 0;
}

HRESULT RecordingDevice::TestCooperativeLevel() {
    Record(Call("TestCooperativeLevel"));
    return cooperativeLevel;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
    RecordedCall& call = Record(Call("Reset"));
    if (parameters == nullptr) {
        Breach("Reset without presentation parameters");
        return D3DERR_INVALIDCALL;
    }
    call.parameters = *parameters;
    for (const auto& b : vertexBuffers_) {
        if (!b->released && b->pool == D3DPOOL_DEFAULT) {
            Breach("Reset while a default-pool vertex buffer is alive");
            return D3DERR_INVALIDCALL;
        }
    }
    for (const auto& b : indexBuffers_) {
        if (!b->released && b->pool == D3DPOOL_DEFAULT) {
            Breach("Reset while a default-pool index buffer is alive");
            return D3DERR_INVALIDCALL;
        }
    }
    if (FAILED(resetResult)) {
        return resetResult;
    }
    RestoreDefaults();
    inScene_ = false;
    cooperativeLevel = D3D_OK;
    return D3D_OK;
}

HRESULT RecordingDevice::Present(const RECT* source, const RECT* dest, HWND overrideWindow,
                                 const RGNDATA* dirtyRegion) {
    Record(Call("Present"));
    if (source != nullptr || dest != nullptr || overrideWindow != nullptr ||
        dirtyRegion != nullptr) {
        Breach("Present of part of the back buffer or to another window");
    }
    if (inScene_) {
        Breach("Present inside BeginScene/EndScene");
    }
    return cooperativeLevel == D3D_OK ? D3D_OK : D3DERR_DEVICELOST;
}

HRESULT RecordingDevice::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                               float z, DWORD stencil) {
    Record(Call("Clear", count, flags, color, z, stencil));
    if ((count == 0) != (rects == nullptr)) {
        Breach("Clear with a rectangle count that does not match the rectangles");
        return D3DERR_INVALIDCALL;
    }
    if (z < 0.0f || z > 1.0f) {
        Breach("Clear with a depth outside 0..1");
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                            IDirect3DVertexBuffer8** buffer) {
    RecordedCall& call = Record(Call("CreateVertexBuffer", length, usage, fvf, pool));
    if (buffer == nullptr) {
        Breach("CreateVertexBuffer without a result pointer");
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (FAILED(createVertexBufferResult)) {
        return createVertexBufferResult;
    }
    vertexBuffers_.push_back(
        std::make_unique<RecordingVertexBuffer>(*this, length, usage, fvf, pool));
    *buffer = vertexBuffers_.back().get();
    call.object = *buffer;
    return D3D_OK;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                           IDirect3DIndexBuffer8** buffer) {
    RecordedCall& call = Record(Call("CreateIndexBuffer", length, usage, format, pool));
    if (buffer == nullptr) {
        Breach("CreateIndexBuffer without a result pointer");
        return D3DERR_INVALIDCALL;
    }
    *buffer = nullptr;
    if (FAILED(createIndexBufferResult)) {
        return createIndexBufferResult;
    }
    indexBuffers_.push_back(
        std::make_unique<RecordingIndexBuffer>(*this, length, usage, format, pool));
    *buffer = indexBuffers_.back().get();
    call.object = *buffer;
    return D3D_OK;
}

HRESULT RecordingDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                       D3DFORMAT format, D3DPOOL pool,
                                       IDirect3DTexture8** texture) {
    RecordedCall& call = Record(Call("CreateTexture", width, height, levels, usage, format, pool));
    if (texture == nullptr || width == 0 || height == 0) {
        Breach("CreateTexture without a result pointer or of size zero");
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (FAILED(createTextureResult)) {
        return createTextureResult;
    }
    ownedTextures_.push_back(
        std::make_unique<RecordingTexture>(*this, width, height, levels, usage, format, pool));
    *texture = ownedTextures_.back().get();
    call.object = *texture;
    return D3D_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    RecordedCall& call = Record(Call("SetTransform", state));
    if (matrix == nullptr) {
        Breach("SetTransform without a matrix");
        return D3DERR_INVALIDCALL;
    }
    call.matrix = *matrix;
    transforms_[state] = *matrix;
    return D3D_OK;
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    Record(Call("GetTransform", state));
    if (matrix == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *matrix = Transform(state);
    return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    Record(Call("SetRenderState", state, value));
    renderStates_[state] = value;
    return D3D_OK;
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    Record(Call("GetRenderState", state));
    if (value == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *value = RenderState(state);
    return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
    Record(Call("SetTextureStageState", stage, type, value));
    if (stage >= stageCount) {
        Breach("SetTextureStageState of a stage the device does not have");
        return D3DERR_INVALIDCALL;
    }
    stageStates_[{stage, type}] = value;
    return D3D_OK;
}

HRESULT RecordingDevice::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD* value) {
    Record(Call("GetTextureStageState", stage, type));
    if (value == nullptr || stage >= stageCount) {
        return D3DERR_INVALIDCALL;
    }
    *value = TextureStageState(stage, type);
    return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
    Record(CallOn(texture, "SetTexture", stage));
    if (stage >= stageCount) {
        Breach("SetTexture of a stage the device does not have");
        return D3DERR_INVALIDCALL;
    }
    if (texture != nullptr && !Live(texture)) {
        Breach("SetTexture of a texture released or not made by this device");
        return D3DERR_INVALIDCALL;
    }
    textures_[stage] = texture;
    return D3D_OK;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL8* material) {
    RecordedCall& call = Record(Call("SetMaterial"));
    if (material == nullptr) {
        Breach("SetMaterial without a material");
        return D3DERR_INVALIDCALL;
    }
    call.material = *material;
    material_ = *material;
    return D3D_OK;
}

HRESULT RecordingDevice::SetLight(DWORD index, const D3DLIGHT8* light) {
    RecordedCall& call = Record(Call("SetLight", index));
    if (light == nullptr) {
        Breach("SetLight without a light");
        return D3DERR_INVALIDCALL;
    }
    call.light = *light;
    lights_[index] = *light;
    return D3D_OK;
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    Record(Call("LightEnable", index, enable));
    lightEnabled_[index] = enable != FALSE;
    return D3D_OK;
}

HRESULT RecordingDevice::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) {
    Record(CallOn(buffer, "SetStreamSource", stream, stride));
    if (stream != 0 || (buffer != nullptr && !Live(buffer))) {
        Breach("SetStreamSource of another stream, or of a buffer released or not made here");
        return D3DERR_INVALIDCALL;
    }
    streamSource_ = buffer;
    stride_ = stride;
    return D3D_OK;
}

HRESULT RecordingDevice::SetVertexShader(DWORD handle) {
    Record(Call("SetVertexShader", handle));
    vertexShader_ = handle;
    return D3D_OK;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) {
    Record(CallOn(buffer, "SetIndices", baseVertexIndex));
    if (buffer != nullptr && !Live(buffer)) {
        Breach("SetIndices of a buffer released or not made by this device");
        return D3DERR_INVALIDCALL;
    }
    indices_ = buffer;
    baseVertexIndex_ = baseVertexIndex;
    return D3D_OK;
}

HRESULT RecordingDevice::BeginScene() {
    Record(Call("BeginScene"));
    if (inScene_) {
        Breach("BeginScene inside BeginScene/EndScene");
        return D3DERR_INVALIDCALL;
    }
    inScene_ = true;
    return D3D_OK;
}

HRESULT RecordingDevice::EndScene() {
    Record(Call("EndScene"));
    if (!inScene_) {
        Breach("EndScene without BeginScene");
        return D3DERR_INVALIDCALL;
    }
    inScene_ = false;
    return D3D_OK;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex,
                                              UINT vertexCount, UINT startIndex,
                                              UINT primitiveCount) {
    Record(Call("DrawIndexedPrimitive", type, minIndex, vertexCount, startIndex, primitiveCount));
    const std::size_t before = misuse_.size();
    if (!inScene_) {
        Breach("DrawIndexedPrimitive outside BeginScene/EndScene");
    }
    if (type != D3DPT_TRIANGLELIST) {
        Breach("DrawIndexedPrimitive of a primitive type other than a triangle list");
    }
    if (vertexShader_ == 0) {
        Breach("DrawIndexedPrimitive without a vertex format");
    }
    auto* vertices = static_cast<RecordingVertexBuffer*>(streamSource_);
    auto* indices = static_cast<RecordingIndexBuffer*>(indices_);
    if (vertices == nullptr || indices == nullptr || stride_ == 0) {
        Breach("DrawIndexedPrimitive without a stream source or indices");
        return D3DERR_INVALIDCALL;
    }
    if (vertices->locked || indices->locked) {
        Breach("DrawIndexedPrimitive while a buffer it uses is locked");
    }
    const std::size_t vertexCapacity = vertices->bytes.size() / stride_;
    const std::size_t indexCapacity = indices->bytes.size() / 2;
    const std::size_t lastVertex = std::size_t{baseVertexIndex_} + minIndex + vertexCount;
    const std::size_t lastIndex = std::size_t{startIndex} + std::size_t{primitiveCount} * 3;
    if (lastVertex > vertexCapacity) {
        Breach("DrawIndexedPrimitive of vertices beyond the end of the vertex buffer");
    }
    if (lastIndex > indexCapacity) {
        Breach("DrawIndexedPrimitive of indices beyond the end of the index buffer");
    } else {
        for (std::size_t i = startIndex; i < lastIndex; ++i) {
            const std::uint16_t index = indices->Index(i);
            if (index < minIndex || index >= std::size_t{minIndex} + vertexCount) {
                std::ostringstream text;
                text << "DrawIndexedPrimitive: index " << index << " at " << i
                     << " outside the declared vertices " << minIndex << ".."
                     << minIndex + vertexCount;
                Breach(text.str());
                break;
            }
        }
    }
    if (misuse_.size() != before) {
        return D3DERR_INVALIDCALL;
    }

    RecordedDraw draw;
    draw.type = type;
    draw.minIndex = minIndex;
    draw.vertexCount = vertexCount;
    draw.startIndex = startIndex;
    draw.primitiveCount = primitiveCount;
    draw.renderStates = renderStates_;
    draw.stageStates = stageStates_;
    draw.transforms = transforms_;
    draw.material = material_;
    draw.lights = lights_;
    draw.lightEnabled = lightEnabled_;
    draw.texture = textures_[0];
    draw.streamSource = streamSource_;
    draw.stride = stride_;
    draw.vertexShader = vertexShader_;
    draw.indices = indices_;
    draw.baseVertexIndex = baseVertexIndex_;
    for (std::size_t i = startIndex; i < lastIndex; ++i) {
        draw.indexData.push_back(indices->Index(i));
    }
    draw.vertexData.assign(vertices->bytes.begin(),
                           vertices->bytes.begin() +
                               static_cast<std::ptrdiff_t>(lastVertex * stride_));
    draws_.push_back(std::move(draw));
    return D3D_OK;
}
