#include "platform/d3d8/GLResources.h"

#include "platform/d3d8/GLDevice.h"

#include <new>

void GLResource::Detach() {
    if (device_ != nullptr) {
        device_->Forget(this);
        device_ = nullptr;
    }
}

namespace {

std::unique_ptr<BYTE[]> AllocateZeroed(UINT length) {
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[length]());
}

HRESULT LockRange(UINT length, UINT offset, UINT size, BYTE* base, BYTE** data) {
    if (data == nullptr || offset > length || size > length - offset) {
        return D3DERR_INVALIDCALL;
    }
    *data = base + offset;
    return D3D_OK;
}

} // namespace

GLVertexBuffer* GLVertexBuffer::Create(GLDevice* device, UINT length, DWORD) {
    auto data = AllocateZeroed(length);
    if (!data) {
        return nullptr;
    }
    return new (std::nothrow) GLVertexBuffer(device, std::move(data), length);
}

ULONG GLVertexBuffer::Release() {
    Detach();
    delete this;
    return 0;
}

HRESULT GLVertexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD) {
    return LockRange(length_, offset, size, data_.get(), data);
}

HRESULT GLVertexBuffer::Unlock() {
    return D3D_OK;
}

GLIndexBuffer* GLIndexBuffer::Create(GLDevice* device, UINT length) {
    auto data = AllocateZeroed(length);
    if (!data) {
        return nullptr;
    }
    return new (std::nothrow) GLIndexBuffer(device, std::move(data), length);
}

ULONG GLIndexBuffer::Release() {
    Detach();
    delete this;
    return 0;
}

HRESULT GLIndexBuffer::Lock(UINT offset, UINT size, BYTE** data, DWORD) {
    return LockRange(length_, offset, size, data_.get(), data);
}

HRESULT GLIndexBuffer::Unlock() {
    return D3D_OK;
}

GLTexture* GLTexture::Create(GLDevice* device, UINT width, UINT height, D3DFORMAT format,
                             D3DPOOL pool) {
    const std::size_t count = static_cast<std::size_t>(width) * height;
    std::unique_ptr<std::uint32_t[]> texels(new (std::nothrow) std::uint32_t[count]());
    if (!texels) {
        return nullptr;
    }
    auto* texture =
        new (std::nothrow) GLTexture(device, width, height, format, pool, std::move(texels));
    if (texture == nullptr) {
        return nullptr;
    }
    glGenTextures(1, &texture->name_);
    texture->Upload();
    return texture;
}

ULONG GLTexture::Release() {
    if (device_ != nullptr) {
        glDeleteTextures(1, &name_);
    }
    Detach();
    delete this;
    return 0;
}

void GLTexture::Orphan() {
    glDeleteTextures(1, &name_);
    name_ = 0;
    device_ = nullptr;
}

void GLTexture::Remake() {
    glGenTextures(1, &name_);
    Upload();
}

HRESULT GLTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (level != 0 || desc == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *desc = D3DSURFACE_DESC{};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Pool = pool_;
    desc->Size = width_ * height_ * 4;
    desc->Width = width_;
    desc->Height = height_;
    return D3D_OK;
}

HRESULT GLTexture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (level != 0 || locked == nullptr || locked_) {
        return D3DERR_INVALIDCALL;
    }
    std::size_t first = 0;
    if (rect != nullptr) {
        if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
            rect->top >= rect->bottom || static_cast<UINT>(rect->right) > width_ ||
            static_cast<UINT>(rect->bottom) > height_) {
            return D3DERR_INVALIDCALL;
        }
        first = static_cast<std::size_t>(rect->top) * width_ + static_cast<std::size_t>(rect->left);
    }
    locked->Pitch = static_cast<int>(width_ * 4);
    locked->pBits = texels_.get() + first;
    locked_ = true;
    return D3D_OK;
}

HRESULT GLTexture::UnlockRect(UINT level) {
    if (level != 0 || !locked_) {
        return D3DERR_INVALIDCALL;
    }
    locked_ = false;
    Upload();
    return D3D_OK;
}

void GLTexture::Upload() {
    if (device_ == nullptr) {
        return;
    }
    // The texels go up as stored, bytes B, G, R, A (ES and WebGL have no BGRA upload): the
    // shaders swizzle them back, and read alpha 1 from a texture whose format has none.
    glBindTexture(GL_TEXTURE_2D, name_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(width_),
                 static_cast<GLsizei>(height_), 0, GL_RGBA, GL_UNSIGNED_BYTE, texels_.get());
    sampler_ = GLSamplerState{};
    device_->TextureBindingChanged();
}
