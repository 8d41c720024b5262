#pragma once
// A Direct3D 8 device for tests: it draws nothing, records every call with its arguments in
// order, keeps the current states (starting at the Direct3D 8 defaults), and checks the rules
// a real device enforces, listing each breach in Misuse().
//
//   RecordingDevice device;                       // or the device of a FakeApplication
//   renderer.Render(...);
//   EXPECT_THAT(device.Misuse(), IsEmpty());
//   EXPECT_THAT(device.NamesOfCalls(), ElementsAre("SetRenderState", ...));
//   EXPECT_EQ(device.CountOf("DrawIndexedPrimitive"), 1);
//   EXPECT_THAT(device.StatesDifferingFromDefaults(), IsEmpty());  // all put back
//   const RecordedDraw& draw = device.Draws().at(0);  // states and data as they were drawn
//   EXPECT_EQ(draw.RenderState(D3DRS_LIGHTING), FALSE);
//
// Resources (buffers, textures) are plain CPU memory owned by the device: Release marks them
// released, their memory stays readable until the device is destroyed. Buffer and texture
// calls are recorded in the device's list too ("VertexBuffer::Lock", "Texture::LockRect",
// ...), with the resource as the call's object.
//
// Scripting: set the public fields below before the call they affect (cooperativeLevel,
// resetResult, create*Result, and lockResult on a buffer or texture).

#include "support/RecordedCall.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class RecordingDevice;

class RecordingVertexBuffer : public IDirect3DVertexBuffer8 {
  public:
    RecordingVertexBuffer(RecordingDevice& device, UINT length, DWORD usage, DWORD fvf,
                          D3DPOOL pool);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;

    std::vector<BYTE> bytes; // zero-filled at creation
    DWORD usage;
    DWORD fvf;
    D3DPOOL pool;
    bool locked = false;
    bool released = false;
    HRESULT lockResult = D3D_OK; // anything else makes Lock fail with it

  private:
    RecordingDevice& device_;
};

class RecordingIndexBuffer : public IDirect3DIndexBuffer8 {
  public:
    RecordingIndexBuffer(RecordingDevice& device, UINT length, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;

    std::uint16_t Index(std::size_t i) const; // 16-bit index i of the buffer

    std::vector<BYTE> bytes;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    bool locked = false;
    bool released = false;
    HRESULT lockResult = D3D_OK;

  private:
    RecordingDevice& device_;
};

// One level of 32-bit 0xAARRGGBB texels, top row first, pitch width * 4.
class RecordingTexture : public IDirect3DTexture8 {
  public:
    RecordingTexture(RecordingDevice& device, UINT width, UINT height, UINT levels, DWORD usage,
                     D3DFORMAT format, D3DPOOL pool);
    ULONG Release() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    std::uint32_t Texel(UINT x, UINT y) const { return texels[y * width + x]; }

    UINT width;
    UINT height;
    UINT levels;
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
    std::vector<std::uint32_t> texels;
    bool locked = false;
    bool released = false;
    HRESULT lockResult = D3D_OK;

  private:
    RecordingDevice& device_;
};

// What one DrawIndexedPrimitive saw: its arguments, every state, the bindings, and copies of
// the indices it used and of the vertex bytes from vertex 0 up to the last vertex it may use.
struct RecordedDraw {
    D3DPRIMITIVETYPE type{};
    UINT minIndex = 0;
    UINT vertexCount = 0;
    UINT startIndex = 0;
    UINT primitiveCount = 0;

    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates; // (stage, type) -> value
    std::map<DWORD, D3DMATRIX> transforms;
    D3DMATERIAL8 material{};
    std::map<DWORD, D3DLIGHT8> lights;
    std::map<DWORD, bool> lightEnabled;
    IDirect3DBaseTexture8* texture = nullptr; // stage 0
    IDirect3DVertexBuffer8* streamSource = nullptr;
    UINT stride = 0;
    DWORD vertexShader = 0;
    IDirect3DIndexBuffer8* indices = nullptr;
    UINT baseVertexIndex = 0;

    std::vector<std::uint16_t> indexData;
    std::vector<BYTE> vertexData;

    DWORD RenderState(D3DRENDERSTATETYPE state) const;
    DWORD TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE stageType) const;
};

class RecordingDevice : public IDirect3DDevice8 {
  public:
    RecordingDevice();
    ~RecordingDevice() override;
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    // Scripting.
    HRESULT cooperativeLevel =
        D3D_OK; // TestCooperativeLevel's answer; a successful Reset sets D3D_OK
    HRESULT resetResult = D3D_OK;
    HRESULT createVertexBufferResult = D3D_OK;
    HRESULT createIndexBufferResult = D3D_OK;
    HRESULT createTextureResult = D3D_OK;

    // Inspection.
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    std::vector<RecordedCall> CallsNamed(const std::string& name) const;
    std::vector<std::string> NamesOfCalls() const;
    int CountOf(const std::string& name) const;
    void ClearCalls() { calls_.clear(); }
    // Breaches of the device's rules (draw outside a scene, index out of range, lock while
    // locked, use of a released resource, reset with default-pool resources alive, ...).
    const std::vector<std::string>& Misuse() const { return misuse_; }
    const std::vector<RecordedDraw>& Draws() const { return draws_; }
    bool released() const { return released_; }
    bool InScene() const { return inScene_; }
    int PresentCount() const { return CountOf("Present"); }

    DWORD RenderState(D3DRENDERSTATETYPE state) const;
    DWORD TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
    D3DMATRIX Transform(D3DTRANSFORMSTATETYPE state) const;
    IDirect3DBaseTexture8* BoundTexture(DWORD stage) const;
    const D3DMATERIAL8& CurrentMaterial() const { return material_; }
    bool IsLightEnabled(DWORD index) const;
    const D3DLIGHT8* LightAt(DWORD index) const; // null when never set

    // Render and texture-stage states whose value is not the Direct3D 8 default, as texts
    // like "render state 28 = 1 (default 0)"; empty when everything is back to default.
    std::vector<std::string> StatesDifferingFromDefaults() const;
    static DWORD DefaultRenderState(DWORD state);
    static DWORD DefaultTextureStageState(DWORD stage, DWORD type);

    std::vector<RecordingVertexBuffer*> VertexBuffers() const;
    std::vector<RecordingIndexBuffer*> IndexBuffers() const;
    std::vector<RecordingTexture*> Textures() const;

    // IDirect3DDevice8.
    ULONG Release() override;
    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(const RECT* source, const RECT* dest, HWND overrideWindow,
                    const RGNDATA* dirtyRegion) override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, IDirect3DTexture8** texture) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
    HRESULT SetMaterial(const D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT8* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetVertexShader(DWORD handle) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;

    // Used by the resources.
    RecordedCall& Record(RecordedCall call);
    void Breach(std::string what);

    static constexpr DWORD stageCount = 8;

  private:
    void RestoreDefaults();
    bool Live(const void* resource) const; // created here and not released

    std::vector<RecordedCall> calls_;
    std::vector<std::string> misuse_;
    std::vector<RecordedDraw> draws_;
    bool released_ = false;
    bool inScene_ = false;

    std::map<DWORD, DWORD> renderStates_;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates_;
    std::map<DWORD, D3DMATRIX> transforms_;
    D3DMATERIAL8 material_{};
    std::map<DWORD, D3DLIGHT8> lights_;
    std::map<DWORD, bool> lightEnabled_;
    IDirect3DBaseTexture8* textures_[stageCount] = {};
    IDirect3DVertexBuffer8* streamSource_ = nullptr;
    UINT stride_ = 0;
    DWORD vertexShader_ = 0;
    IDirect3DIndexBuffer8* indices_ = nullptr;
    UINT baseVertexIndex_ = 0;

    std::vector<std::unique_ptr<RecordingVertexBuffer>> vertexBuffers_;
    std::vector<std::unique_ptr<RecordingIndexBuffer>> indexBuffers_;
    std::vector<std::unique_ptr<RecordingTexture>> ownedTextures_;
};
