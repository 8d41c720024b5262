// The Windows-services layer's host in a web page (the browser build): the page's one canvas
// is the window, keys and pointer motion come from the document, the title is the document's,
// the message box is an overlay drawn by the page (Module.showMessageBox, or alert when the
// page has none), the pointer is hidden with the canvas's CSS cursor.
//
// Page events arrive while the program waits for the browser (between frames, see
// BrowserPage.h) and are posted to the queue at once.

#include "platform/win32/BrowserPage.h"
#include "platform/win32/WindowRegistry.h"

#include <emscripten.h>
#include <emscripten/html5.h>

struct HostWindow {
    std::uint32_t id;
};

void HostWindowDeleter::operator()(HostWindow* window) const {
    delete window;
}

namespace {

constexpr const char* kCanvas = "#canvas";
constexpr LPARAM HTCLIENT = 1;

// clang-format off
EM_JS(void, SetCanvasShown, (int shown), {
    var canvas = document.getElementById("canvas");
    if (canvas) canvas.style.visibility = shown ? "visible" : "hidden";
});

EM_JS(void, SetCanvasCursor, (int visible), {
    var canvas = document.getElementById("canvas");
    if (canvas) canvas.style.cursor = visible ? "" : "none";
});

EM_JS(void, ShowOverlay, (const char* caption, const char* text, int error), {
    var c = UTF8ToString(caption), t = UTF8ToString(text);
    if (Module["showMessageBox"]) Module["showMessageBox"](c, t, !!error);
    else alert(c + ": " + t);
});
// clang-format on

std::uint32_t nextId = 1;
bool pointerVisible = true;

// DOM key codes are the Windows virtual-key codes for every key the layer maps.
WPARAM VirtualKeyOf(unsigned long code) {
    const bool letterOrDigit = (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9');
    const bool function = code >= VK_F1 && code < VK_F1 + 12;
    switch (code) {
    case VK_ESCAPE:
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_SPACE:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
        return code;
    default:
        return letterOrDigit || function ? code : 0;
    }
}

// The page's canvas is the layer's newest window.
HWND CanvasWindow() {
    const std::deque<HWND> windows = win32::LiveWindows();
    return windows.empty() ? nullptr : windows.back();
}

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    const WPARAM key = VirtualKeyOf(event->keyCode);
    HWND window = CanvasWindow();
    if (key == 0 || window == nullptr) {
        return EM_FALSE;
    }
    // Repeat count 1; bit 30 = the key was already down; bit 31 = released.
    LPARAM flags = 1;
    if (type == EMSCRIPTEN_EVENT_KEYUP) {
        flags |= LPARAM{3} << 30;
    } else if (event->repeat) {
        flags |= LPARAM{1} << 30;
    }
    PostMessageA(window, type == EMSCRIPTEN_EVENT_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, flags);
    return EM_FALSE; // the browser keeps its own keys (full screen, leaving it)
}

EM_BOOL OnPointer(int, const EmscriptenMouseEvent*, void*) {
    HWND window = CanvasWindow();
    if (window != nullptr) {
        PostMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                     HTCLIENT | static_cast<LPARAM>(WM_MOUSEMOVE) << 16);
    }
    return EM_FALSE;
}

void ListenOnce() {
    static bool listening = false;
    if (listening) {
        return;
    }
    listening = true;
    const char* document = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
    emscripten_set_keydown_callback(document, nullptr, EM_FALSE, OnKey);
    emscripten_set_keyup_callback(document, nullptr, EM_FALSE, OnKey);
    emscripten_set_mousemove_callback(kCanvas, nullptr, EM_FALSE, OnPointer);
}

} // namespace

namespace win32 {

HostWindow* OpenHostWindow(const char*, int, int, int, int) {
    // The canvas keeps the page's size: the device scales its picture to it.
    ListenOnce();
    SetCanvasShown(0);
    SetCanvasCursor(pointerVisible ? 1 : 0);
    return new HostWindow{nextId++};
}

std::uint32_t HostWindowId(const HostWindow* window) {
    return window->id;
}

void ShowHostWindow(HostWindow*, bool show) {
    SetCanvasShown(show ? 1 : 0);
}

void SetHostWindowTitle(HostWindow*, const char* title) {
    emscripten_set_window_title(title);
}

void ShowHostPointer(bool visible) {
    pointerVisible = visible;
    SetCanvasCursor(visible ? 1 : 0);
}

void ShowHostMessageBox(HostWindow*, const char* caption, const char* text, bool error) {
    ShowOverlay(caption, text, error ? 1 : 0);
}

void PumpHostEvents() {}

void WaitForHostEvent(int milliseconds) {
    browser::Yield(milliseconds);
}

} // namespace win32

void browser::RequestClose() {
    if (HWND window = CanvasWindow(); window != nullptr) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE void vellomire_close() {
    browser::RequestClose();
}
