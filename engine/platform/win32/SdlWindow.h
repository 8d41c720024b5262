#pragma once
// The one crossing between the Windows-services layer and the Direct3D layer: the SDL window
// behind a window handle, on which the device creates its OpenGL context.

#include "platform/win32/Windows.h"

struct SDL_Window;

// The window is created with SDL_WINDOW_OPENGL so that the device can make its context on it.
// Null when the handle is not a live window.
SDL_Window* SdlWindowOf(HWND window);

// Starts SDL's video; both layers start it, the first one for real. Before that it tells SDL
// which screen to use: when the X display connection names a screen other than the first
// (DISPLAY=:0.1), SDL is shown that screen alone, since SDL 2 lists every X screen but opens
// its windows on the first. A choice the user made in SDL's own variables
// (SDL_VIDEO_X11_XRANDR) stands. Refuses a Wayland compositor SDL would crash on (see
// WaylandSeat.h). False with the reason in SDL_GetError when video did not start.
bool StartSdlVideo();
