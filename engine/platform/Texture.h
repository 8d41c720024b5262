#pragma once
// One device texture loaded from an image file at a given size (managed: it survives a device
// reset). Renderers bind `deviceTexture`.

#include "platform/EngineResult.h"
#include "platform/d3d8/D3D8.h"

class Application;

class Texture {
  public:
    explicit Texture(Application& application);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // -28 when the application's device is not usable (the file is not touched); -29 when the
    // loader fails, the texture then staying empty. A second Load releases the first texture.
    EngineResult Load(const char* fileName, UINT width, UINT height);
    // Releases the device texture, if any; safe any number of times.
    void Release();

    IDirect3DTexture8* deviceTexture = nullptr;
    Application* application;
};
