#pragma once
// The device's OpenGL context on a window of the Windows-services layer, and what the device
// asks of that window. One implementation per host: GLContextSdl.cpp (SDL2: OpenGL 3.3 core,
// or ES 3.0 with VELLOMIRE_GLES) and GLContextBrowser.cpp (WebGL 2 on the page's canvas).

#include "platform/win32/Windows.h"

#include <memory>

// Whether there is a screen to play on (the capture host needs none).
bool HostHasDisplay();

// Brings the host's video up for the Direct3D object, and down again (counted).
bool StartGLVideo();
void StopGLVideo();

class GLContext {
  public:
    // Made current, presenting without waiting for the display. Null (the reason on stderr)
    // when the window is not live or cannot have such a context.
    static std::unique_ptr<GLContext> Create(HWND window);
    virtual ~GLContext() = default;

    virtual void MakeCurrent() = 0;
    // Minimised or hidden, or the context itself lost: the device is lost meanwhile.
    virtual bool WindowHidden() = 0;
    // Counts the times the context came back empty after a loss (a WebGL context the browser
    // restored): objects made in an earlier generation are gone and must be made again.
    virtual unsigned Generation() = 0;
    // The window's default framebuffer, in pixels.
    virtual void DrawableSize(int& width, int& height) = 0;
    // Shows what was drawn into the default framebuffer. In the browser the page then gets its
    // turn (see BrowserPage.h), and the program resumes afterwards.
    virtual void Swap() = 0;
};
