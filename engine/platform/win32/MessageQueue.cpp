#include "platform/win32/WindowRegistry.h"

#include <algorithm>

namespace {

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

void ForgetMessagesOf(HWND window) {
    auto& queue = Queue();
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window](const MSG& msg) { return msg.hwnd == window; }),
                queue.end());
}

} // namespace win32

BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    win32::PumpHostEvents();
    return Take(msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr || (window != nullptr && win32::FindWindow(window) == nullptr)) {
        return -1;
    }
    for (;;) {
        win32::PumpHostEvents();
        if (Take(msg, window, filterMin, filterMax, true)) {
            return msg->message != WM_QUIT ? TRUE : FALSE;
        }
        if (window != nullptr && win32::FindWindow(window) == nullptr) {
            return -1;
        }
        win32::WaitForHostEvent(10);
    }
}

DWORD MsgWaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
    win32::PumpHostEvents();
    if (win32::Queue().empty()) {
        win32::WaitForHostEvent(static_cast<int>(milliseconds));
        win32::PumpHostEvents();
    }
    return win32::Queue().empty() ? WAIT_TIMEOUT : WAIT_OBJECT_0;
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
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETCURSOR:
        return FALSE; // the class has no cursor: leave the pointer as it is
    default:
        return 0;
    }
}
