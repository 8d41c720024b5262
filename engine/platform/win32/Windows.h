#pragma once
// The Windows services the engine calls, standing in for <windows.h> over SDL2 and POSIX.
//
// Covered: window classes with a window procedure, windows with a caption and properties,
// a per-window message queue fed from SDL events (close request -> WM_CLOSE, keys ->
// WM_KEYDOWN with virtual-key codes, pointer motion -> WM_SETCURSOR), the pointer hidden
// over the window, a message box (SDL's when a display exists, always "caption: text" on
// stderr), debug output on stderr, the millisecond clock, and read-only file reading with
// Windows-style paths.
// Not covered: anything else of Win32 (GDI, menus, threads, child windows, TranslateMessage).

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = std::uint16_t;
using LPCSTR = const char*;
using LPVOID = void*;

struct HWND__;
struct HINSTANCE__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HMENU__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HICON = HICON__*;
using HCURSOR = HCURSOR__*;
using HBRUSH = HBRUSH__*;
using HMENU = HMENU__*;
using HGDIOBJ = void*;
using HANDLE = void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

union LARGE_INTEGER {
    std::int64_t QuadPart;
};

struct RECT {
    LONG left, top, right, bottom;
};

struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Messages.
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SETCURSOR = 0x0020;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;

// Virtual-key codes (letters and digits are their ASCII capitals).
inline constexpr WPARAM VK_BACK = 0x08;
inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_SHIFT = 0x10;
inline constexpr WPARAM VK_CONTROL = 0x11;
inline constexpr WPARAM VK_MENU = 0x12;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;
inline constexpr WPARAM VK_F1 = 0x70;

// PeekMessage, ShowWindow, styles, stock objects, message box.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;
inline constexpr UINT CS_OWNDC = 0x0020;
inline constexpr UINT CS_SAVEBITS = 0x0800;
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008u;
inline constexpr int BLACK_BRUSH = 4;
inline constexpr UINT MB_OK = 0x00000000u;
inline constexpr UINT MB_ICONERROR = 0x00000010u;
inline constexpr int IDOK = 1;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;

// Files.
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001u;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Window classes and windows.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
BOOL ShowWindow(HWND window, int command);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL SetWindowTextA(HWND window, LPCSTR text);
HMODULE GetModuleHandleA(LPCSTR moduleName);
HGDIOBJ GetStockObject(int object);

// Window properties.
BOOL SetPropA(HWND window, LPCSTR name, HANDLE data);
HANDLE GetPropA(HWND window, LPCSTR name);
HANDLE RemovePropA(HWND window, LPCSTR name);

// Messages. PeekMessageA never blocks; GetMessageA blocks until a message for the filter
// arrives; SendMessageA calls the window procedure at once.
BOOL PeekMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Waits up to the given milliseconds for a message to arrive, without taking it: WAIT_OBJECT_0
// when one is queued, else WAIT_TIMEOUT. Only the form without objects to wait for (count 0).
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);

// Pointer and dialogs. SetCursor(nullptr) hides the pointer over every window of the layer;
// any other value shows it. MessageBoxA always writes "caption: text" to stderr and shows
// SDL's box only where a display exists (never under the offscreen or dummy drivers, never
// in capture mode); it returns IDOK.
HCURSOR SetCursor(HCURSOR cursor);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Debug output: stderr, exactly the text given. A run of identical texts is written once;
// when a different text arrives, or at FlushDebugOutput or exit, the run ends with the line
// "(repeated N times)", N being the texts folded after the first. A repeating cycle of up to
// eight texts is folded the same way, ending with "(the last K texts repeated N times)".
void OutputDebugStringA(LPCSTR text);
void FlushDebugOutput(); // not Win32
// Not Win32: false drops every later text (the capture tool shows them only when asked).
void ShowDebugOutput(bool show);

// Milliseconds, unsigned 32-bit, wrapping. Host clock: real (monotonic) time when playing,
// the virtual clock in capture mode.
DWORD timeGetTime();
// Not Win32: a source that replaces the host's clock while set (tests); null restores it.
void SetTimeSourceForTesting(DWORD (*source)());

// Files: paths in the system's own form ("Data\Bol.msh"); backslashes become slashes, and
// each folder or file whose exact name is missing is replaced by an entry of its folder that
// differs only in case. Only OPEN_EXISTING regular files, always opened read-only whatever
// access is asked. ReadFile fails (FALSE) on a short read; *bytesRead still tells how many
// bytes arrived.
HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPVOID security,
                   DWORD creationDisposition, DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, DWORD* bytesRead, LPVOID overlapped);
// Sizes and positions are 64-bit: files of 4 GiB and more are measured and sought correctly.
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                      DWORD moveMethod);
BOOL CloseHandle(HANDLE object);
