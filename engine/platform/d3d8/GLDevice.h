#pragma once
// The OpenGL device: an OpenGL 3.3 core-profile context on the focus window, rendering into an
// off-screen colour buffer without alpha (as on X8R8G8B8) with a 16-bit depth buffer. Present
// scales that buffer to the window, 4:3 kept.
//
// States, transforms, lights and the material are recorded when set and applied at the next
// draw, only where they changed. Every draw goes through the device's own GLSL programs
// (GLShaderSource.cpp), which compute Direct3D 8's fixed function: the states that change the
// maths select the program (GLShaderKey), all others are one uniform block. Vertices and
// indices stream through one GL buffer each. Covered: transform and per-vertex lighting
// (directional, point and spot lights), vertex and table fog, texture stage 0 with the
// operations and arguments D3D8.h declares, the alpha test, blending, depth and culling.
// Not covered: stages above 0, stencil, clip planes, vertex shaders of Direct3D's own.
//
// Host modes: in capture mode the colour buffer has the capture size times the supersample
// factor while the back buffer stays logically 640 x 480; Present does not swap but calls
// host::NotifyPresent(). While host::DrawingEnabled() is false, clears, draws and presents
// do no pixel work (states are still recorded).
// Lost device: a minimised or hidden window or a lost context (play mode only) makes the device
// lost; the first test after the window is back answers DEVICENOTRESET until Reset, which
// makes every GL object again when the context came back empty.

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GLContext.h"
#include "platform/d3d8/GLHeaders.h"
#include "platform/d3d8/GLPrograms.h"
#include "platform/d3d8/GLResources.h"
#include "platform/d3d8/GLShaderSource.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct ReadBackImage;

class GLDevice final : public IDirect3DDevice8 {
  public:
    static HRESULT Create(HWND window, const D3DPRESENT_PARAMETERS& parameters,
                          IDirect3DDevice8** device);

    GLDevice(const GLDevice&) = delete;
    GLDevice& operator=(const GLDevice&) = delete;

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

    // Programs built so far, one per shader key drawn with.
    std::size_t ProgramCount() const { return programs_.Count(); }

    // See ReadBack.h.
    bool ReadBack(bool presented, ReadBackImage& image);

    // Resources report their release; the device cuts loose the ones alive at its own release.
    void Track(GLResource* resource);
    void Forget(GLResource* resource);
    // GL's texture binding changed behind the state cache (a texture upload).
    void TextureBindingChanged() { dirty_ |= kDirtyTexture; }

    static constexpr DWORD kMaxLights = 8;
    static constexpr DWORD kMaxStages = 8;
    static constexpr DWORD kRenderStateCount = 256;
    static constexpr DWORD kStageStateCount = 32;
    // Alpha-test states the engine never names but a device still honours.
    static constexpr DWORD kAlphaRefState = 24;
    static constexpr DWORD kAlphaFuncState = 25;

  private:
    enum : std::uint32_t {
        kDirtyDepth = 1u << 0,
        kDirtyBlend = 1u << 1, // blending on or off and its two factors
        kDirtyCull = 1u << 2,
        kDirtyShade = 1u << 3,
        kDirtyLighting = 1u << 4, // lighting switches, colour sources and the material
        kDirtyFog = 1u << 5,
        kDirtyCombine = 1u << 6,
        kDirtyTexture = 1u << 7, // binding, filters and addressing
        kDirtyProjection = 1u << 8,
        kDirtyWorld = 1u << 9,
        kDirtyViewLights = 1u << 10, // the view matrix or a light
        kDirtyLayout = 1u << 11,     // the vertex format or stride
        kDirtyAlphaTest = 1u << 12,  // the alpha test's switch, function and reference
        kDirtyAll = 0xFFFFFFFFu,
        // What the shader key is made of, and what the uniform block is made of.
        kDirtyKey = kDirtyShade | kDirtyLighting | kDirtyFog | kDirtyCombine | kDirtyAlphaTest |
                    kDirtyViewLights | kDirtyLayout,
        kDirtyUniforms = kDirtyAlphaTest | kDirtyLighting | kDirtyFog | kDirtyTexture |
                         kDirtyProjection | kDirtyWorld | kDirtyViewLights,
    };

    struct LightSlot {
        D3DLIGHT8 light{};
        bool enabled = false;
    };

    explicit GLDevice(HWND window);
    ~GLDevice() override;

    HRESULT Init(const D3DPRESENT_PARAMETERS& parameters);
    // The render size in play: the back buffer's (left as it is) unless host::Resolution() asks
    // for another (see Host.h).
    void PlaySize(int& width, int& height);
    bool MakeTargets(int width, int height);
    void DestroyTargets();
    bool RemakeGLObjects();
    void SetDefaultStates();
    void InitGLState();
    bool PixelWork() const;
    bool WindowGone() const;

    bool ApplyStates(); // false when the program of the states cannot be built
    void ApplyDepth();
    void ApplyBlend();
    void ApplyCull();
    void ApplyTexture();
    GLShaderKey ShaderKey() const;
    void FillUniforms();
    void FillLightUniforms();
    void ApplyVertexLayout();
    DWORD RenderState(DWORD state) const { return renderStates_[state]; }
    float RenderStateFloat(DWORD state) const;

    HWND window_;
    std::unique_ptr<GLContext> context_;
    D3DPRESENT_PARAMETERS parameters_{};
    int renderWidth_ = 0; // the off-screen colour buffer, in real pixels
    int renderHeight_ = 0;
    int supersample_ = 1;
    GLuint framebuffer_ = 0;
    GLuint colourBuffer_ = 0;
    GLuint depthBuffer_ = 0;
    GLuint presentedFramebuffer_ = 0; // a copy of the colour buffer at the last Present
    GLuint presentedColourBuffer_ = 0;
    GLuint whiteTexture_ = 0;
    GLuint vertexArray_ = 0;
    GLuint vertexBuffer_ = 0; // the streaming buffers every draw fills
    GLuint indexBuffer_ = 0;
    GLuint uniformBuffer_ = 0;
    GLPrograms programs_;
    GLuint program_ = 0;
    GLDeviceUniforms uniforms_{};
    bool lost_ = false;
    bool inScene_ = false;
    unsigned generation_ = 0; // of the context the GL objects were made in

    std::array<DWORD, kRenderStateCount> renderStates_{};
    std::array<std::array<DWORD, kStageStateCount>, kMaxStages> stageStates_{};
    D3DMATRIX world_{};
    D3DMATRIX view_{};
    D3DMATRIX projection_{};
    D3DMATERIAL8 material_{};
    std::array<LightSlot, kMaxLights> lights_{};
    GLTexture* texture_ = nullptr; // stage 0
    GLVertexBuffer* stream_ = nullptr;
    UINT streamStride_ = 0;
    DWORD fvf_ = 0;
    GLIndexBuffer* indices_ = nullptr;
    UINT baseVertexIndex_ = 0;
    std::uint32_t dirty_ = kDirtyAll;

    std::vector<std::uint8_t> readPixels_;
    std::vector<GLResource*> resources_;
};
