#pragma once
// Buffers and textures of the OpenGL device. Vertex and index buffers are plain CPU memory from
// which a draw streams the range it uses; textures keep their texels in CPU memory (the managed
// copy that LockRect hands out) and a GL texture that UnlockRect fills.

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/GLHeaders.h"

#include <cstdint>
#include <memory>

class GLDevice;

// A resource the device can cut loose when it is released before the resource.
class GLResource {
  public:
    virtual void Orphan() = 0;
    // Makes its GL objects again in a context that lost them.
    virtual void Remake() {}

  protected:
    explicit GLResource(GLDevice* device) : device_(device) {}
    ~GLResource() = default;
    void Detach(); // tells the device the resource is gone
    GLDevice* device_;
};

class GLVertexBuffer final : public IDirect3DVertexBuffer8, public GLResource {
  public:
    static GLVertexBuffer* Create(GLDevice* device, UINT length, DWORD fvf);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    void Orphan() override { device_ = nullptr; }

    const BYTE* Data() const { return data_.get(); }
    UINT Length() const { return length_; }

  private:
    GLVertexBuffer(GLDevice* device, std::unique_ptr<BYTE[]> data, UINT length)
        : GLResource(device), data_(std::move(data)), length_(length) {}
    ~GLVertexBuffer() override = default;
    std::unique_ptr<BYTE[]> data_;
    UINT length_;
};

class GLIndexBuffer final : public IDirect3DIndexBuffer8, public GLResource {
  public:
    static GLIndexBuffer* Create(GLDevice* device, UINT length);
    ULONG Release() override;
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;
    void Orphan() override { device_ = nullptr; }

    const std::uint16_t* Indices() const {
        return reinterpret_cast<const std::uint16_t*>(data_.get());
    }
    UINT Count() const { return length_ / 2; }

  private:
    GLIndexBuffer(GLDevice* device, std::unique_ptr<BYTE[]> data, UINT length)
        : GLResource(device), data_(std::move(data)), length_(length) {}
    ~GLIndexBuffer() override = default;
    std::unique_ptr<BYTE[]> data_;
    UINT length_;
};

// Texture parameters as last given to GL, so a draw only changes what differs.
struct GLSamplerState {
    GLint minFilter = 0;
    GLint magFilter = 0;
    GLint wrapS = 0;
    GLint wrapT = 0;
};

class GLTexture final : public IDirect3DTexture8, public GLResource {
  public:
    // Formats A8R8G8B8 and X8R8G8B8; one level. Null when out of memory.
    static GLTexture* Create(GLDevice* device, UINT width, UINT height, D3DFORMAT format,
                             D3DPOOL pool);
    ULONG Release() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    void Orphan() override; // deletes the GL texture while the context still exists
    void Remake() override; // uploads the managed copy to a new GL texture

    GLuint Name() const { return name_; }
    bool HasAlpha() const { return format_ == D3DFMT_A8R8G8B8; }
    GLSamplerState& Sampler() { return sampler_; }

  private:
    GLTexture(GLDevice* device, UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
              std::unique_ptr<std::uint32_t[]> texels)
        : GLResource(device), width_(width), height_(height), format_(format), pool_(pool),
          texels_(std::move(texels)) {}
    ~GLTexture() override = default;
    void Upload();

    UINT width_;
    UINT height_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    std::unique_ptr<std::uint32_t[]> texels_; // 0xAARRGGBB, top row first
    GLuint name_ = 0;
    GLSamplerState sampler_;
    bool locked_ = false;
};
