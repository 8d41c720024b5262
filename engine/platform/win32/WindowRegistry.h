#pragma once
// Internal to the Windows-services layer: the live windows and the message queue they share.

#include "platform/win32/Windows.h"

#include <SDL.h>

#include <deque>
#include <map>
#include <memory>
#include <string>

struct SdlWindowDeleter {
    void operator()(SDL_Window* window) const { SDL_DestroyWindow(window); }
};

struct HWND__ {
    WNDPROC procedure = nullptr;
    std::string className;
    std::string caption;
    std::map<std::string, HANDLE> properties;
    std::unique_ptr<SDL_Window, SdlWindowDeleter> sdl;
    Uint32 sdlId = 0;
    bool visible = false;
};

namespace win32 {

// Null unless the handle is a live window; never dereferences a stale handle.
HWND__* FindWindow(HWND window);
// The live window behind an SDL window id, or the first live window when the id is unknown
// (events of a window the layer did not create still end up somewhere sensible); null if none.
HWND FindWindowForSdl(Uint32 sdlId);
// Every live window, oldest first.
std::deque<HWND> LiveWindows();

// Messages queued for all windows in arrival order; hwnd null is a thread message.
std::deque<MSG>& Queue();
// Moves pending SDL events into the queue. Does nothing while SDL video is not running.
void PumpSdlEvents();
// Drops queued messages of a window being destroyed.
void ForgetMessagesOf(HWND window);

} // namespace win32
