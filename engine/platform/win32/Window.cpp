#include "platform/win32/WindowRegistry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

struct RegisteredClass {
    WNDCLASSA description{};
    std::string name;
    ATOM atom = 0;
};

std::map<std::string, RegisteredClass>& Classes() {
    static std::map<std::string, RegisteredClass> classes;
    return classes;
}

std::vector<std::unique_ptr<HWND__>>& Windows() {
    static std::vector<std::unique_ptr<HWND__>> windows;
    return windows;
}

// Class names compare without regard to case, as on Windows.
std::string ClassKey(LPCSTR name) {
    std::string key(name);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

// Stand-ins for handles that only need to be distinct and non-null.
char moduleInstance;
char stockObjects[20];
char arrowCursor;

HCURSOR currentCursor = reinterpret_cast<HCURSOR>(&arrowCursor);

void ApplyCursor() {
    win32::ShowHostPointer(currentCursor != nullptr);
}

} // namespace

namespace win32 {

HWND__* FindWindow(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    for (const auto& live : Windows()) {
        if (live.get() == window) {
            return live.get();
        }
    }
    return nullptr;
}

HWND FindWindowForHost(std::uint32_t hostId) {
    auto& windows = Windows();
    for (const auto& live : windows) {
        if (live->host != nullptr && live->hostId == hostId) {
            return live.get();
        }
    }
    return windows.empty() ? nullptr : windows.front().get();
}

std::deque<HWND> LiveWindows() {
    std::deque<HWND> result;
    for (const auto& live : Windows()) {
        result.push_back(live.get());
    }
    return result;
}

} // namespace win32

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    static ATOM nextAtom = 0xC000;
    if (windowClass == nullptr || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    auto [entry, inserted] = Classes().try_emplace(ClassKey(windowClass->lpszClassName));
    if (!inserted) {
        return 0;
    }
    RegisteredClass& registered = entry->second;
    registered.description = *windowClass;
    registered.name = windowClass->lpszClassName;
    registered.description.lpszClassName = registered.name.c_str();
    registered.description.lpszMenuName = nullptr;
    registered.atom = nextAtom++;
    return registered.atom;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    if (className == nullptr) {
        return FALSE;
    }
    const std::string key = ClassKey(className);
    auto entry = Classes().find(key);
    if (entry == Classes().end()) {
        return FALSE;
    }
    for (const auto& live : Windows()) {
        if (ClassKey(live->className.c_str()) == key) {
            return FALSE; // Windows refuses while windows of the class exist
        }
    }
    Classes().erase(entry);
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD) {
    // Windows of this layer have no frame, so the client rectangle is the window rectangle.
    return rect != nullptr ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int x, int y, int width,
                     int height, HWND, HMENU, HINSTANCE, LPVOID) {
    if (className == nullptr) {
        return nullptr;
    }
    auto registered = Classes().find(ClassKey(className));
    if (registered == Classes().end()) {
        return nullptr;
    }
    auto window = std::make_unique<HWND__>();
    window->procedure = registered->second.description.lpfnWndProc;
    window->className = registered->second.name;
    window->caption = windowName != nullptr ? windowName : "";
    window->host.reset(win32::OpenHostWindow(window->caption.c_str(), x, y, width, height));
    if (window->host == nullptr) {
        return nullptr;
    }
    window->hostId = win32::HostWindowId(window->host.get());
    ApplyCursor();

    HWND handle = window.get();
    Windows().push_back(std::move(window));
    if (SendMessageA(handle, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    return handle;
}

BOOL ShowWindow(HWND handle, int command) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    const bool wasVisible = window->visible;
    const bool show = command != SW_HIDE;
    SendMessageA(handle, WM_SHOWWINDOW, show ? 1 : 0, 0);
    window = win32::FindWindow(handle); // the procedure may have destroyed it
    if (window == nullptr) {
        return wasVisible ? TRUE : FALSE;
    }
    window->visible = show;
    // Shown in capture mode too: the device takes a hidden window for a minimised one.
    win32::ShowHostWindow(window->host.get(), show);
    return wasVisible ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND handle) {
    if (win32::FindWindow(handle) == nullptr) {
        return FALSE;
    }
    SendMessageA(handle, WM_DESTROY, 0, 0);
    auto& windows = Windows();
    auto live = std::find_if(windows.begin(), windows.end(),
                             [handle](const auto& w) { return w.get() == handle; });
    if (live == windows.end()) {
        return TRUE; // destroyed from inside its own WM_DESTROY
    }
    win32::ForgetMessagesOf(handle);
    windows.erase(live);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return win32::FindWindow(window) != nullptr ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr) {
        return FALSE;
    }
    window->caption = text != nullptr ? text : "";
    win32::SetHostWindowTitle(window->host.get(), window->caption.c_str());
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    return moduleName == nullptr ? reinterpret_cast<HMODULE>(&moduleInstance) : nullptr;
}

HGDIOBJ GetStockObject(int object) {
    constexpr int count = static_cast<int>(sizeof stockObjects);
    return object >= 0 && object < count ? &stockObjects[object] : nullptr;
}

BOOL SetPropA(HWND handle, LPCSTR name, HANDLE data) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr || name == nullptr) {
        return FALSE;
    }
    window->properties[name] = data;
    return TRUE;
}

HANDLE GetPropA(HWND handle, LPCSTR name) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr || name == nullptr) {
        return nullptr;
    }
    auto found = window->properties.find(name);
    return found != window->properties.end() ? found->second : nullptr;
}

HANDLE RemovePropA(HWND handle, LPCSTR name) {
    HWND__* window = win32::FindWindow(handle);
    if (window == nullptr || name == nullptr) {
        return nullptr;
    }
    auto found = window->properties.find(name);
    if (found == window->properties.end()) {
        return nullptr;
    }
    HANDLE data = found->second;
    window->properties.erase(found);
    return data;
}

HCURSOR SetCursor(HCURSOR cursor) {
    HCURSOR previous = currentCursor;
    currentCursor = cursor;
    ApplyCursor();
    return previous;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const char* body = text != nullptr ? text : "";
    const char* title = caption != nullptr ? caption : "Error";
    const std::size_t length = std::strlen(body);
    const bool endsInLineBreak = length > 0 && body[length - 1] == '\n';
    FlushDebugOutput(); // debug texts held back for folding come before the box's text
    std::fprintf(stderr, "%s: %s%s", title, body, endsInLineBreak ? "" : "\n");
    std::fflush(stderr);
    HWND__* window = win32::FindWindow(owner);
    win32::ShowHostMessageBox(window != nullptr ? window->host.get() : nullptr, title, body,
                              (type & MB_ICONERROR) != 0);
    return IDOK;
}
