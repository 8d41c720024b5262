#pragma once
// The demo's application: a full-screen pop-up window and an exclusive full-screen device of
// the requested size, Escape or any close request ending the active state.

#include "platform/Application.h"

class FullscreenApplication : public Application {
  public:
    explicit FullscreenApplication(UINT adapterOrdinal) : Application(adapterOrdinal) {}
    ~FullscreenApplication() override = default;

    // Codes: -2 no Direct3D object, -3 window class, -4 window, -23 mode enumeration,
    // -24 no mode of this size passes the checks, -8 caps, -11/-12 device (driver-internal
    // error / other), -13/-14 vertex/index buffer.
    EngineResult Create(int width, int height) override;
    // -15 when not active; a lost device is not a failure (0, nothing presented, after waiting
    // up to lostDeviceWaitMilliseconds for a window message); after a reset failure -20,
    // failed buffer re-creation -21/-22, each also ending the active state.
    EngineResult Update() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Long enough that a minimised window or a hidden browser tab costs next to no processor
    // time, short enough that the picture is back within a few frames.
    static constexpr DWORD lostDeviceWaitMilliseconds = 50;

  private:
    EngineResult CreateDevice(int width, int height);
    EngineResult UpdateDevice();
};
