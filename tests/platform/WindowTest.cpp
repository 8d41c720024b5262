#include "platform/win32/SdlWindow.h"
#include "platform/win32/Windows.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
};
std::vector<Received> received;
constexpr UINT WM_USER_ANSWER = 0x0400; // answered with 42

LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back({window, message, wParam});
    if (message == WM_USER_ANSWER) {
        return 42;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        received.clear();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingProcedure;
        windowClass.lpszClassName = "TestClass";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override { UnregisterClassA("TestClass", GetModuleHandleA(nullptr)); }

    static HWND Open() {
        return CreateWindowExA(WS_EX_TOPMOST, "TestClass", "Engine", WS_POPUP, 0, 0, 640, 480,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
};

TEST_F(WindowTest, ClassesAreRegisteredOnceAndOnlyUnregisteredWithoutWindows) {
    WNDCLASSA again{};
    again.lpfnWndProc = RecordingProcedure;
    again.lpszClassName = "testclass"; // names ignore case
    EXPECT_EQ(RegisterClassA(&again), 0);
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassA("TestClass", nullptr));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA("TestClass", nullptr));
    EXPECT_FALSE(UnregisterClassA("TestClass", nullptr));
    EXPECT_EQ(CreateWindowExA(0, "TestClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    ASSERT_NE(RegisterClassA(&again), 0); // for TearDown
}

TEST_F(WindowTest, WindowHasAnSdlWindowPropertiesAndACaptionUntilDestroyed) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    SDL_Window* sdl = SdlWindowOf(window);
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL, 0u);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Engine");
    EXPECT_TRUE(SetWindowTextA(window, "Vellomire"));
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Vellomire");

    int value = 7;
    EXPECT_TRUE(SetPropA(window, "classPtr", &value));
    EXPECT_EQ(GetPropA(window, "classPtr"), &value);
    EXPECT_EQ(GetPropA(window, "other"), nullptr);
    EXPECT_EQ(RemovePropA(window, "classPtr"), &value);
    EXPECT_EQ(GetPropA(window, "classPtr"), nullptr);

    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(SdlWindowOf(window), nullptr);
    EXPECT_FALSE(SetWindowTextA(window, "gone"));
    EXPECT_FALSE(SetPropA(window, "classPtr", &value));
    EXPECT_FALSE(DestroyWindow(window));

    const std::vector<UINT> expected = {WM_CREATE, WM_SHOWWINDOW, WM_SHOWWINDOW, WM_DESTROY};
    std::vector<UINT> messages;
    for (const Received& r : received) {
        messages.push_back(r.message);
    }
    EXPECT_EQ(messages, expected);
}

TEST_F(WindowTest, PeekLeavesOrRemovesAndGetAndDispatchDeliverInOrder) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    received.clear();
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE)); // never blocks when empty

    PostMessageA(window, WM_KEYDOWN, 'A', 1);
    PostMessageA(nullptr, WM_KEYDOWN, 'T', 1); // a thread message: not this window's
    PostMessageA(window, WM_SETCURSOR, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 'A');
    ASSERT_TRUE(PeekMessageA(&msg, window, WM_SETCURSOR, WM_SETCURSOR, PM_NOREMOVE));
    EXPECT_EQ(msg.message, WM_SETCURSOR);

    while (PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE)) {
        ASSERT_EQ(GetMessageA(&msg, window, 0, 0), TRUE);
        DispatchMessageA(&msg);
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, WM_KEYDOWN);
    EXPECT_EQ(received[0].wParam, WPARAM{'A'});
    EXPECT_EQ(received[1].message, WM_SETCURSOR);

    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
    EXPECT_EQ(msg.wParam, WPARAM{'T'});
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    DestroyWindow(window);
}

TEST_F(WindowTest, SendCallsTheProcedureAtOnceAndDefaultCloseDestroys) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    received.clear();
    EXPECT_EQ(SendMessageA(window, WM_USER_ANSWER, 5, 0), 42);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].window, window);

    PostMessageA(window, WM_KEYDOWN, 'B', 1);
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)); // its messages went with it
    EXPECT_EQ(SendMessageA(window, WM_USER_ANSWER, 0, 0), 0);
    EXPECT_EQ(GetMessageA(&msg, window, 0, 0), -1);
}

TEST_F(WindowTest, SdlEventsBecomeWindowMessages) {
    HWND window = Open();
    ASSERT_NE(window, nullptr);
    MSG msg{};
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    }

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(SdlWindowOf(window));
    key.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&key);
    key.key.keysym.sym = SDLK_q;
    SDL_PushEvent(&key);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = key.key.windowID;
    SDL_PushEvent(&motion);
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = key.key.windowID;
    SDL_PushEvent(&close);

    std::vector<std::pair<UINT, WPARAM>> messages;
    while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_SETCURSOR) {
            msg.wParam = 0; // the window handle
        }
        messages.emplace_back(msg.message, msg.wParam);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_KEYDOWN, 'Q'}, {WM_SETCURSOR, 0}, {WM_CLOSE, 0}};
    EXPECT_EQ(messages, expected);
    DestroyWindow(window);
}

TEST(MessageBoxTest, WritesCaptionAndTextToStderr) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Could not open Data\\Bol.msh\n", "Polez (Scene): Bol.msh",
                          MB_OK | MB_ICONERROR),
              IDOK);
    MessageBoxA(nullptr, "no break", "Caption", MB_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Polez (Scene): Bol.msh: Could not open Data\\Bol.msh\nCaption: no break\n");
}

} // namespace
