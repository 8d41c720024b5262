#pragma once
// A FullscreenApplication whose Direct3D is a FakeDirect3D, so its device is a
// RecordingDevice; the window is a real one of the Windows-services layer (SDL's offscreen
// driver unless SDL_VIDEODRIVER says otherwise). For tests of anything drawn through the
// application: renderers, fog switches, textures, scenes. One at a time per process: the
// window class "Quorvane" can be registered only once (a second Create meanwhile gives -3).
//
//   FakeApplication fake;
//   ASSERT_EQ(fake.Create(), 0);
//   RecordingDevice& device = fake.Device();
//   device.ClearCalls();                      // forget what Create did
//   MeshRenderer renderer(fake.application);
//   ...
//   device.cooperativeLevel = D3DERR_DEVICELOST;
//   fake.application.Update();                // the device is now not usable

#include "platform/FullscreenApplication.h"
#include "support/FakeDirect3D.h"

class FakeApplication {
  public:
    FakeApplication();
    ~FakeApplication();
    FakeApplication(const FakeApplication&) = delete;
    FakeApplication& operator=(const FakeApplication&) = delete;

    EngineResult Create(int width = 640, int height = 480) {
        return application.Create(width, height);
    }

    // The device of the last successful Create (still inspectable after Release).
    RecordingDevice& Device() const;
    RecordingVertexBuffer& VertexBuffer() const; // the application's current shared buffers
    RecordingIndexBuffer& IndexBuffer() const;

    FakeDirect3D direct3D;

  private:
    ScopedDirect3D installed{&direct3D};

  public:
    FullscreenApplication application{0};
};
