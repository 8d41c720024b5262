#pragma once
// Internal to the Windows-services layer: what it needs of the host's window system. One
// implementation per host: SdlHost.cpp (SDL2, the Linux player and the capture tool) and
// BrowserHost.cpp (the page's canvas, the browser build).

#include <cstdint>

struct HostWindow; // the host's window behind a window handle

struct HostWindowDeleter {
    void operator()(HostWindow* window) const;
};

namespace win32 {

// The window behind CreateWindowExA, hidden until shown; null (the reason on stderr) when the
// host cannot open one.
HostWindow* OpenHostWindow(const char* caption, int x, int y, int width, int height);
// Identifies the window in the host's events.
std::uint32_t HostWindowId(const HostWindow* window);
void ShowHostWindow(HostWindow* window, bool show);
void SetHostWindowTitle(HostWindow* window, const char* title);
// Shows or hides the pointer over every window of the layer; does nothing before the first.
void ShowHostPointer(bool visible);
// The host's own message box where it has one; MessageBoxA has written the text to stderr.
void ShowHostMessageBox(HostWindow* owner, const char* caption, const char* text, bool error);
// Moves the host's pending events into the message queue (PostMessageA). Never blocks.
void PumpHostEvents();
// Waits up to `milliseconds` for a host event, for a blocking GetMessageA.
void WaitForHostEvent(int milliseconds);

} // namespace win32
