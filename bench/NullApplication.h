#pragma once
// An application whose device and buffers accept everything and draw nothing, for measuring
// the processor's share of a frame: normals, vertices, indices and the state calls.

#include "platform/Application.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace bench {

template <class Interface> class NullBuffer : public Interface {
  public:
    explicit NullBuffer(UINT length) : bytes(length) {}
    ULONG Release() override { return 0; }
    HRESULT Lock(UINT, UINT, BYTE** data, DWORD) override {
        *data = bytes.data();
        return D3D_OK;
    }
    HRESULT Unlock() override { return D3D_OK; }

  private:
    std::vector<BYTE> bytes;
};

// Holds its texels so the texture loader can fill it.
class NullTexture : public IDirect3DTexture8 {
  public:
    NullTexture(UINT w, UINT h) : width(w), height(h), texels(std::size_t{w} * h) {}
    ULONG Release() override {
        delete this;
        return 0;
    }
    HRESULT GetLevelDesc(UINT, D3DSURFACE_DESC* desc) override {
        *desc = {};
        desc->Format = D3DFMT_A8R8G8B8;
        desc->Width = width;
        desc->Height = height;
        return D3D_OK;
    }
    HRESULT LockRect(UINT, D3DLOCKED_RECT* locked, const RECT*, DWORD) override {
        locked->Pitch = static_cast<int>(width * 4);
        locked->pBits = texels.data();
        return D3D_OK;
    }
    HRESULT UnlockRect(UINT) override { return D3D_OK; }

  private:
    UINT width;
    UINT height;
    std::vector<std::uint32_t> texels;
};

class NullDevice : public IDirect3DDevice8 {
  public:
    ULONG Release() override { return 0; }
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return D3D_OK; }
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return D3D_OK; }
    HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8**) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT CreateTexture(UINT width, UINT height, UINT, DWORD, D3DFORMAT, D3DPOOL,
                          IDirect3DTexture8** texture) override {
        *texture = new NullTexture(width, height);
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX* matrix) override {
        benchmark::DoNotOptimize(matrix);
        return D3D_OK;
    }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override {
        return D3DERR_INVALIDCALL;
    }
    HRESULT SetTexture(DWORD, IDirect3DBaseTexture8*) override { return D3D_OK; }
    HRESULT SetMaterial(const D3DMATERIAL8*) override { return D3D_OK; }
    HRESULT SetLight(DWORD, const D3DLIGHT8*) override { return D3D_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3D_OK; }
    HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT) override { return D3D_OK; }
    HRESULT SetVertexShader(DWORD) override { return D3D_OK; }
    HRESULT SetIndices(IDirect3DIndexBuffer8*, UINT) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override {
        return D3D_OK;
    }
};

class NullApplication : public Application {
  public:
    NullApplication() : Application(0) { Create(640, 480); }
    ~NullApplication() override {
        device = nullptr;
        vertexBuffer = nullptr;
        indexBuffer = nullptr;
    }
    EngineResult Create(int, int) override {
        device = &nullDevice;
        vertexBuffer = &vertices;
        indexBuffer = &indices;
        active = true;
        deviceUsable = true;
        return 0;
    }
    EngineResult Update() override { return 0; }
    LRESULT HandleMessage(UINT, WPARAM, LPARAM) override { return 0; }

  private:
    NullDevice nullDevice;
    NullBuffer<IDirect3DVertexBuffer8> vertices{vertexBufferBytes};
    NullBuffer<IDirect3DIndexBuffer8> indices{indexBufferBytes};
};

} // namespace bench
