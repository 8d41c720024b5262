#pragma once
// Internal to the Windows-services layer: the live windows and the message queue they share.

#include "platform/win32/HostWindow.h"
#include "platform/win32/Windows.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

struct HWND__ {
    WNDPROC procedure = nullptr;
    std::string className;
    std::string caption;
    std::map<std::string, HANDLE> properties;
    std::unique_ptr<HostWindow, HostWindowDeleter> host;
    std::uint32_t hostId = 0;
    bool visible = false;
};

namespace win32 {

// Null unless the handle is a live window; never dereferences a stale handle.
HWND__* FindWindow(HWND window);
// The live window behind a host window id, or the first live window when the id is unknown
// (events of a window the layer did not create still end up somewhere sensible); null if none.
HWND FindWindowForHost(std::uint32_t hostId);
// Every live window, oldest first.
std::deque<HWND> LiveWindows();

// Messages queued for all windows in arrival order; hwnd null is a thread message.
std::deque<MSG>& Queue();
// Drops queued messages of a window being destroyed.
void ForgetMessagesOf(HWND window);

} // namespace win32
