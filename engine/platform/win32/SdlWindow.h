#pragma once
// The one crossing between the Windows-services layer and the Direct3D layer: the SDL window
// behind a window handle, on which the device creates its OpenGL context.

#include "platform/win32/Windows.h"

struct SDL_Window;

// The window is created with SDL_WINDOW_OPENGL so that the device can make its context on it.
// Null when the handle is not a live window.
SDL_Window* SdlWindowOf(HWND window);
