// The Windows-services layer's host over SDL2: windows, the pointer, the message box and the
// events that feed the message queue.

#include "platform/win32/Host.h"
#include "platform/win32/SdlWindow.h"
#include "platform/win32/Termination.h"
#include "platform/win32/WaylandSeat.h"
#include "platform/win32/WindowRegistry.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct HostWindow {
    SDL_Window* sdl;
};

void HostWindowDeleter::operator()(HostWindow* window) const {
    SDL_DestroyWindow(window->sdl);
    delete window;
    win32::NoteLiveWindows(-1);
}

namespace {

constexpr LPARAM HTCLIENT = 1;

bool HasDisplay() {
    if (host::IsCapture()) {
        return false;
    }
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        return false;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

// SDL video starts with the first window and stays up, with its GL library loaded, for the
// rest of the process: unloading the GL driver (as SDL does when the last GL window goes)
// would leave the memory the driver keeps for the process with no module to attribute it
// to, so leak checkers could neither name nor suppress it. It also spares a driver reload
// for every window.
bool StartVideo() {
    static bool started = false;
    if (!started) {
        if (!StartSdlVideo()) {
            return false;
        }
        started = true;
        SDL_GL_LoadLibrary(nullptr); // drivers without GL (dummy) refuse; windows then lack GL
    }
    return true;
}

// The display the full-screen window fills: SDL_VIDEO_FULLSCREEN_DISPLAY (an index into SDL's
// displays) when it names one, else the first.
int FullscreenDisplay() {
    const char* asked = std::getenv("SDL_VIDEO_FULLSCREEN_DISPLAY");
    if (asked == nullptr || *asked == '\0') {
        return 0;
    }
    char* end = nullptr;
    const long index = std::strtol(asked, &end, 10);
    if (*end != '\0' || index < 0 || index >= SDL_GetNumVideoDisplays()) {
        std::fprintf(stderr, "SDL_VIDEO_FULLSCREEN_DISPLAY=%s names no display; using display 0\n",
                     asked);
        return 0;
    }
    return static_cast<int>(index);
}

SDL_Window* OpenSdlWindow(const char* caption, int x, int y, int width, int height) {
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (host::IsCapture()) {
        // Video is rendered off-screen; the window only carries the GL context.
        const host::CaptureSettings& capture = host::Capture();
        width = capture.width * capture.supersample;
        height = capture.height * capture.supersample;
    } else {
        // Desktop full screen, created at the desktop's size as well: without a window manager
        // (a bare X server) nobody else would resize it.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
        const int display = FullscreenDisplay();
        x = static_cast<int>(SDL_WINDOWPOS_UNDEFINED_DISPLAY(display));
        y = x;
        SDL_DisplayMode desktop{};
        if (SDL_GetDesktopDisplayMode(display, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
            width = desktop.w;
            height = desktop.h;
        }
    }
    SDL_Window* window = SDL_CreateWindow(caption, x, y, width, height, flags);
    if (window == nullptr) {
        // Video drivers without OpenGL (SDL's dummy) still get a window; the device then
        // reports that it cannot create its context.
        window = SDL_CreateWindow(caption, x, y, width, height, flags & ~SDL_WINDOW_OPENGL);
    }
    return window;
}

// Windows virtual-key code of an SDL key; 0 for keys the layer does not map.
WPARAM VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return static_cast<WPARAM>('A' + (key - SDLK_a));
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return static_cast<WPARAM>('0' + (key - SDLK_0));
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + static_cast<WPARAM>(key - SDLK_F1);
    }
    switch (key) {
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    default:
        return 0;
    }
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr) {
        PostMessageA(window, message, wParam, lParam);
    }
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: // the last window closed
        for (HWND window : win32::LiveWindows()) {
            Post(window, WM_CLOSE, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            Post(win32::FindWindowForHost(event.window.windowID), WM_CLOSE, 0, 0);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const WPARAM key = VirtualKeyOf(event.key.keysym.sym);
        if (key == 0) {
            break;
        }
        // Repeat count 1; bit 30 = the key was already down; bit 31 = released.
        LPARAM flags = 1;
        if (event.type == SDL_KEYUP) {
            flags |= LPARAM{3} << 30;
        } else if (event.key.repeat != 0) {
            flags |= LPARAM{1} << 30;
        }
        Post(win32::FindWindowForHost(event.key.windowID),
             event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, flags);
        break;
    }
    case SDL_MOUSEMOTION: {
        HWND window = win32::FindWindowForHost(event.motion.windowID);
        Post(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
             HTCLIENT | static_cast<LPARAM>(WM_MOUSEMOVE) << 16);
        break;
    }
    default:
        break;
    }
}

} // namespace

bool StartSdlVideo() {
    const char* connection = std::getenv("DISPLAY");
    if (host::IsCapture()) {
        // Capture renders off screen whatever display there is.
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    } else if (connection != nullptr) {
        const char* colon = std::strrchr(connection, ':');
        const char* dot = colon != nullptr ? std::strchr(colon, '.') : nullptr;
        if (dot != nullptr && std::strtol(dot + 1, nullptr, 10) > 0) {
            SDL_SetHint(SDL_HINT_VIDEO_X11_XRANDR, "0");
        }
    }
    if (const char* refusal = WaylandRefusal(); refusal != nullptr) {
        SDL_SetError("%s", refusal);
        return false;
    }
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

namespace win32 {

HostWindow* OpenHostWindow(const char* caption, int x, int y, int width, int height) {
    if (!StartVideo()) {
        std::fprintf(stderr, "CreateWindowExA: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_Window* sdl = OpenSdlWindow(caption, x, y, width, height);
    if (sdl == nullptr) {
        std::fprintf(stderr, "CreateWindowExA: %s\n", SDL_GetError());
        return nullptr;
    }
    win32::WatchDisplayConnection();
    win32::NoteLiveWindows(+1);
    return new HostWindow{sdl};
}

std::uint32_t HostWindowId(const HostWindow* window) {
    return SDL_GetWindowID(window->sdl);
}

void ShowHostWindow(HostWindow* window, bool show) {
    if (show) {
        SDL_ShowWindow(window->sdl);
        SDL_RaiseWindow(window->sdl);
    } else {
        SDL_HideWindow(window->sdl);
    }
}

void SetHostWindowTitle(HostWindow* window, const char* title) {
    SDL_SetWindowTitle(window->sdl, title);
}

void ShowHostPointer(bool visible) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
}

void ShowHostMessageBox(HostWindow* owner, const char* caption, const char* text, bool error) {
    if (HasDisplay()) {
        win32::NoteMessageBox(true);
        SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION, caption,
                                 text, owner != nullptr ? owner->sdl : nullptr);
        win32::NoteMessageBox(false);
    }
}

void PumpHostEvents() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    if (TakeCloseRequest()) {
        for (HWND window : LiveWindows()) {
            Post(window, WM_CLOSE, 0, 0);
        }
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        Translate(event);
    }
}

void WaitForHostEvent(int milliseconds) {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_WaitEventTimeout(nullptr, milliseconds);
    } else {
        SDL_Delay(static_cast<Uint32>(milliseconds));
    }
}

} // namespace win32

SDL_Window* SdlWindowOf(HWND handle) {
    HWND__* window = win32::FindWindow(handle);
    return window != nullptr && window->host != nullptr ? window->host->sdl : nullptr;
}
