#include "platform/win32/WindowRegistry.h"

#include <algorithm>

namespace {

constexpr LPARAM HTCLIENT = 1;

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
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    default: return 0;
    }
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr) {
        PostMessageA(window, message, wParam, lParam);
    }
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT: // the last window closed, or an interrupt signal
        for (HWND window : win32::LiveWindows()) {
            Post(window, WM_CLOSE, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            Post(win32::FindWindowForSdl(event.window.windowID), WM_CLOSE, 0, 0);
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
        Post(win32::FindWindowForSdl(event.key.windowID),
             event.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, key, flags);
        break;
    }
    case SDL_MOUSEMOTION: {
        HWND window = win32::FindWindowForSdl(event.motion.windowID);
        Post(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
             HTCLIENT | static_cast<LPARAM>(WM_MOUSEMOVE) << 16);
        break;
    }
    default: break;
    }
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) {
        return true;
    }
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool Take(MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    auto& queue = win32::Queue();
    auto found = std::find_if(queue.begin(), queue.end(), [&](const MSG& queued) {
        return Matches(queued, window, filterMin, filterMax);
    });
    if (found == queue.end()) {
        return false;
    }
    if (msg != nullptr) {
        *msg = *found;
    }
    if (remove) {
        queue.erase(found);
    }
    return true;
}

} // namespace

namespace win32 {

std::deque<MSG>& Queue() {
    static std::deque<MSG> queue;
    return queue;
}

void PumpSdlEvents() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        Translate(event);
    }
}

void ForgetMessagesOf(HWND window) {
    auto& queue = Queue();
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window](const MSG& msg) { return msg.hwnd == window; }),
                queue.end());
}

} // namespace win32

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    win32::PumpSdlEvents();
    return Take(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr || (window != nullptr && win32::FindWindow(window) == nullptr)) {
        return -1;
    }
    for (;;) {
        win32::PumpSdlEvents();
        if (Take(msg, window, filterMin, filterMax, true)) {
            return msg->message != WM_QUIT ? TRUE : FALSE;
        }
        if (window != nullptr && win32::FindWindow(window) == nullptr) {
            return -1;
        }
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_WaitEventTimeout(nullptr, 10);
        } else {
            SDL_Delay(10);
        }
    }
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr) {
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr) {
        return 0;
    }
    return window->procedure(handle, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && win32::FindWindow(window) == nullptr) {
        return FALSE;
    }
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    win32::Queue().push_back(msg);
    return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_SETCURSOR: return FALSE; // the class has no cursor: leave the pointer as it is
    default: return 0;
    }
}
