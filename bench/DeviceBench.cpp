// Draw throughput of the OpenGL Direct3D device: the largest mesh a renderer can send in one
// draw (65,536 vertices, lit, textured, fogged) and a cloud of 16,384 additive textured quads.
// Each iteration is a frame: fill the shared buffers, one draw, present. Headless runs use
// SDL's offscreen driver (EGL on Mesa llvmpipe). These are the device's limits, not the
// show's loads (bench-renderers and vellomire-capture --benchmark measure those). "Time" is
// wall clock; "CPU" is the processor time of the whole process, the driver's threads included.

#include "platform/d3d8/D3D8.h"
#include "platform/win32/Host.h"
#include "platform/win32/Windows.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Vertex {
    float x, y, z, nx, ny, nz;
    std::uint32_t colour;
    float u, v;
};
static_assert(sizeof(Vertex) == 36);

constexpr UINT kVertices = 65536;
constexpr UINT kIndices = 196608;

DWORD Bits(float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class Stage {
  public:
    Stage() {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
        }
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "DeviceBench";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "DeviceBench", "bench", WS_POPUP, 0, 0, 640, 480, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(window, SW_SHOW);
        direct3d = Direct3DCreate8(D3D_SDK_VERSION);
        if (direct3d == nullptr) {
            return;
        }
        D3DPRESENT_PARAMETERS parameters{};
        parameters.BackBufferWidth = 640;
        parameters.BackBufferHeight = 480;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.SwapEffect = D3DSWAPEFFECT_COPY;
        parameters.hDeviceWindow = window;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D16;
        parameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0x50, &parameters, &device))) {
            return;
        }
        device->CreateVertexBuffer(kVertices * 36, D3DUSAGE_DYNAMIC, 0x152, D3DPOOL_DEFAULT,
                                   &vertexBuffer);
        device->CreateIndexBuffer(kIndices * 2, D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT,
                                  &indexBuffer);
        device->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
        D3DLOCKED_RECT locked{};
        texture->LockRect(0, &locked, nullptr, 0);
        auto* texels = static_cast<std::uint32_t*>(locked.pBits);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const float dx = (static_cast<float>(x) - 31.5f) / 32.0f;
                const float dy = (static_cast<float>(y) - 31.5f) / 32.0f;
                const float a = std::fmax(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
                texels[y * 64 + x] = (static_cast<std::uint32_t>(a * 255.0f) << 24) | 0xFFFFFF;
            }
        }
        texture->UnlockRect(0);
    }

    ~Stage() {
        if (texture != nullptr) {
            texture->Release();
        }
        if (indexBuffer != nullptr) {
            indexBuffer->Release();
        }
        if (vertexBuffer != nullptr) {
            vertexBuffer->Release();
        }
        if (device != nullptr) {
            device->Release();
        }
        if (direct3d != nullptr) {
            direct3d->Release();
        }
        DestroyWindow(window);
    }

    bool Ready() const {
        return texture != nullptr && vertexBuffer != nullptr && indexBuffer != nullptr;
    }

    // One frame: fill both buffers from the start, one draw, present.
    void Frame(const std::vector<Vertex>& vertices, const std::vector<std::uint16_t>& indices) {
        BYTE* data = nullptr;
        vertexBuffer->Lock(0, 0, &data, 0);
        std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
        vertexBuffer->Unlock();
        indexBuffer->Lock(0, 0, &data, 0);
        std::memcpy(data, indices.data(), indices.size() * 2);
        indexBuffer->Unlock();
        device->SetStreamSource(0, vertexBuffer, sizeof(Vertex));
        device->SetVertexShader(0x152);
        device->SetIndices(indexBuffer, 0);
        device->BeginScene();
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size()), 0,
                                     static_cast<UINT>(indices.size() / 3));
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    }

    HWND window = nullptr;
    IDirect3D8* direct3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    IDirect3DTexture8* texture = nullptr;
};

void SetCamera(IDirect3DDevice8* device) {
    D3DMATRIX view{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 4, 1}}};
    D3DMATRIX projection{};
    projection.m[0][0] = 1.81066f; // 45 degrees, 4:3
    projection.m[1][1] = 2.41421f;
    projection.m[2][2] = 100.0f / 99.0f;
    projection.m[2][3] = 1;
    projection.m[3][2] = -100.0f / 99.0f;
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &projection);
}

// A 256 x 256 vertex grid over -1.5..1.5 with a ripple, 65,536 triangles of it indexed.
void Mesh(benchmark::State& state) {
    Stage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no OpenGL device");
        return;
    }
    host::SetDrawingEnabled(state.range(0) != 0);
    std::vector<Vertex> vertices;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const float fx = static_cast<float>(x) / 255.0f * 3.0f - 1.5f;
            const float fy = static_cast<float>(y) / 255.0f * 3.0f - 1.5f;
            vertices.push_back(
                {fx, fy, 0.1f * std::sin(fx * 6) * std::cos(fy * 6), 0, 0, -1, 0xFFC08040, fx, fy});
        }
    }
    std::vector<std::uint16_t> indices;
    for (int y = 0; indices.size() < kIndices; ++y) {
        for (int x = 0; x < 255 && indices.size() < kIndices; ++x) {
            const auto i = static_cast<std::uint16_t>(y * 256 + x);
            indices.insert(indices.end(), {i, static_cast<std::uint16_t>(i + 256),
                                           static_cast<std::uint16_t>(i + 1)});
            indices.insert(indices.end(),
                           {static_cast<std::uint16_t>(i + 1), static_cast<std::uint16_t>(i + 256),
                            static_cast<std::uint16_t>(i + 257)});
        }
    }
    IDirect3DDevice8* device = stage.device;
    SetCamera(device);
    D3DMATERIAL8 material{};
    material.Diffuse = {1, 1, 1, 1};
    material.Ambient = {1, 1, 1, 1};
    material.Specular = {1, 1, 1, 1};
    material.Power = 20;
    device->SetMaterial(&material);
    D3DLIGHT8 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 0};
    light.Specular = {1, 1, 1, 0};
    light.Direction = {0.3f, -0.3f, 0.9f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGCOLOR, 0x00262626);
    device->SetRenderState(D3DRS_FOGSTART, Bits(2.0f));
    device->SetRenderState(D3DRS_FOGEND, Bits(6.0f));
    device->SetTexture(0, stage.texture);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    for (auto _ : state) {
        stage.Frame(vertices, indices);
    }
    host::SetDrawingEnabled(true);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["draws/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// 16,384 small camera-facing quads spread over the screen, additive, z writes off.
void Cloud(benchmark::State& state) {
    Stage stage;
    if (!stage.Ready()) {
        state.SkipWithError("no OpenGL device");
        return;
    }
    host::SetDrawingEnabled(state.range(0) != 0);
    std::vector<Vertex> vertices;
    std::vector<std::uint16_t> indices;
    std::uint32_t seed = 1;
    const auto random = [&seed] {
        seed = seed * 214013u + 2531011u;
        return static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f;
    };
    for (int q = 0; q < 16384; ++q) {
        const float x = random() * 3.0f - 1.5f;
        const float y = random() * 2.2f - 1.1f;
        const float z = random() * 2.0f - 1.0f;
        const float s = 0.02f;
        const auto base = static_cast<std::uint16_t>(vertices.size());
        vertices.push_back({x - s, y + s, z, 0, 0, -1, 0xFF80C0FF, 0, 0});
        vertices.push_back({x + s, y + s, z, 0, 0, -1, 0xFF80C0FF, 1, 0});
        vertices.push_back({x + s, y - s, z, 0, 0, -1, 0xFF80C0FF, 1, 1});
        vertices.push_back({x - s, y - s, z, 0, 0, -1, 0xFF80C0FF, 0, 1});
        indices.insert(indices.end(), {base, static_cast<std::uint16_t>(base + 1),
                                       static_cast<std::uint16_t>(base + 2), base,
                                       static_cast<std::uint16_t>(base + 2),
                                       static_cast<std::uint16_t>(base + 3)});
    }
    IDirect3DDevice8* device = stage.device;
    SetCamera(device);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetTexture(0, stage.texture);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    for (auto _ : state) {
        stage.Frame(vertices, indices);
    }
    host::SetDrawingEnabled(true);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.counters["draws/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Argument 1: drawn; 0: drawing switched off, leaving the layer's own processor cost.
BENCHMARK(Mesh)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(Cloud)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace
