#include "platform/Texture.h"

#include "platform/Application.h"

Texture::Texture(Application& owner) : application(&owner) {}

Texture::~Texture() {
    Release();
}

EngineResult Texture::Load(const char* fileName, UINT width, UINT height) {
    if (!application->IsDeviceUsable() || application->GetDevice() == nullptr) {
        return engine_code::deviceNotUsable;
    }
    Release();
    IDirect3DTexture8* loaded = nullptr;
    const HRESULT result = D3DXCreateTextureFromFileExA(
        application->GetDevice(), fileName, width, height, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
        D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &loaded);
    if (FAILED(result) || loaded == nullptr) {
        return engine_code::textureLoadFailed;
    }
    deviceTexture = loaded;
    return engine_code::ok;
}

void Texture::Release() {
    if (deviceTexture != nullptr) {
        deviceTexture->Release();
        deviceTexture = nullptr;
    }
}
