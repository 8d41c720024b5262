#include "platform/FullscreenApplication.h"
#include "platform/win32/SdlWindow.h"
#include "support/FakeApplication.h"

#include <SDL.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

D3DDISPLAYMODE Mode(UINT width, UINT height, D3DFORMAT format, UINT refresh = 60) {
    return {width, height, refresh, format};
}

// The object is back as constructed: nothing owned, nothing left alive behind it.
void ExpectAsConstructed(const FakeApplication& fake) {
    const Application& app = fake.application;
    EXPECT_FALSE(app.IsActive());
    EXPECT_FALSE(app.IsDeviceUsable());
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    EXPECT_EQ(app.GetDevice(), nullptr);
    EXPECT_EQ(app.GetVertexBuffer(), nullptr);
    EXPECT_EQ(app.GetIndexBuffer(), nullptr);
    EXPECT_TRUE(fake.direct3D.ReleasedAsOftenAsHandedOut());
    if (fake.direct3D.lastDeviceRequest) {
        EXPECT_FALSE(IsWindow(fake.direct3D.lastDeviceRequest->focusWindow));
    }
    if (RecordingDevice* device = fake.direct3D.LastDevice()) {
        EXPECT_TRUE(device->released());
        for (auto* b : device->VertexBuffers()) {
            EXPECT_TRUE(b->released);
        }
        for (auto* b : device->IndexBuffers()) {
            EXPECT_TRUE(b->released);
        }
        EXPECT_THAT(device->Misuse(), IsEmpty());
    }
    // The window class is gone too: it can be registered again.
    WNDCLASSA probe{};
    probe.lpfnWndProc = DefWindowProcA;
    probe.lpszClassName = "Quorvane";
    EXPECT_NE(RegisterClassA(&probe), 0);
    UnregisterClassA("Quorvane", nullptr);
}

TEST(ApplicationModeTest, ChoosesTheSmallestFormatOfTheAcceptedModesOfTheRequestedSize) {
    const struct {
        const char* what;
        std::vector<D3DDISPLAYMODE> modes;
        std::set<UINT> failingEnumerations;
        std::set<D3DFORMAT> typeRejects, depthRejects, matchRejects;
        EngineResult result;
        D3DFORMAT format;
    } cases[] = {
        {"no mode at all", {}, {}, {}, {}, {}, -24, {}},
        {"no 640 x 480 mode",
         {Mode(800, 600, D3DFMT_X8R8G8B8), Mode(640, 400, D3DFMT_X8R8G8B8)},
         {},
         {},
         {},
         {},
         -24,
         {}},
        {"several formats",
         {Mode(640, 480, D3DFMT_R5G6B5), Mode(640, 480, D3DFMT_X8R8G8B8),
          Mode(640, 480, D3DFMT_X1R5G5B5), Mode(1024, 768, D3DFMT_A8R8G8B8)},
         {},
         {},
         {},
         {},
         0,
         D3DFMT_X8R8G8B8},
        {"device type check excludes",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5)},
         {},
         {D3DFMT_X8R8G8B8},
         {},
         {},
         0,
         D3DFMT_R5G6B5},
        {"depth format check excludes",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5)},
         {},
         {},
         {D3DFMT_X8R8G8B8},
         {},
         0,
         D3DFMT_R5G6B5},
        {"depth match check excludes",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5)},
         {},
         {},
         {},
         {D3DFMT_X8R8G8B8},
         0,
         D3DFMT_R5G6B5},
        {"every 640 x 480 mode fails a check",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5)},
         {},
         {D3DFMT_X8R8G8B8},
         {},
         {D3DFMT_R5G6B5},
         -24,
         {}},
        {"the first enumeration fails",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(640, 480, D3DFMT_R5G6B5)},
         {1},
         {},
         {},
         {},
         -23,
         {}},
        {"a later enumeration fails after a mode was accepted",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8),
          Mode(640, 480, D3DFMT_R5G6B5)},
         {1},
         {},
         {},
         {},
         0,
         D3DFMT_R5G6B5},
        {"a later enumeration fails before any mode was accepted",
         {Mode(640, 480, D3DFMT_X8R8G8B8), Mode(800, 600, D3DFMT_X8R8G8B8),
          Mode(1024, 768, D3DFMT_R5G6B5)},
         {1},
         {},
         {},
         {},
         -23,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeApplication fake;
        fake.direct3D.modes = c.modes;
        fake.direct3D.failingEnumerations = c.failingEnumerations;
        fake.direct3D.deviceTypeRejects = c.typeRejects;
        fake.direct3D.depthFormatRejects = c.depthRejects;
        fake.direct3D.depthMatchRejects = c.matchRejects;
        EXPECT_EQ(fake.Create(), c.result);
        if (c.result == 0) {
            ASSERT_TRUE(fake.direct3D.lastDeviceRequest);
            EXPECT_EQ(fake.direct3D.lastDeviceRequest->parameters.BackBufferFormat, c.format);
            EXPECT_TRUE(fake.application.IsActive());
        } else {
            EXPECT_EQ(fake.direct3D.CountOf("CreateDevice"), 0);
            ExpectAsConstructed(fake);
        }
    }
}

TEST(ApplicationModeTest, WalksFromTheLastModeDownAndChecksEachCandidateForTheHardwareDevice) {
    FakeApplication fake;
    fake.direct3D.modes = {Mode(640, 480, D3DFMT_X8R8G8B8, 60), Mode(640, 480, D3DFMT_X8R8G8B8, 75),
                           Mode(800, 600, D3DFMT_R5G6B5)};
    ASSERT_EQ(fake.Create(), 0);
    std::vector<RecordedCall> walk(fake.direct3D.Calls().begin(),
                                   fake.direct3D.Calls().begin() + 10);
    EXPECT_THAT(walk,
                ElementsAre(Call("GetAdapterModeCount", 0), Call("EnumAdapterModes", 0, 2),
                            Call("EnumAdapterModes", 0, 1),
                            Call("CheckDeviceType", 0, D3DDEVTYPE_HAL, 22, 22, TRUE),
                            Call("CheckDeviceFormat", 0, D3DDEVTYPE_HAL, 22, D3DUSAGE_DEPTHSTENCIL,
                                 D3DRTYPE_SURFACE, D3DFMT_D16),
                            Call("CheckDepthStencilMatch", 0, D3DDEVTYPE_HAL, 22, 22, D3DFMT_D16),
                            Call("EnumAdapterModes", 0, 0),
                            Call("CheckDeviceType", 0, D3DDEVTYPE_HAL, 22, 22, TRUE),
                            Call("CheckDeviceFormat", 0, D3DDEVTYPE_HAL, 22, D3DUSAGE_DEPTHSTENCIL,
                                 D3DRTYPE_SURFACE, D3DFMT_D16),
                            Call("CheckDepthStencilMatch", 0, D3DDEVTYPE_HAL, 22, 22, D3DFMT_D16)));
    // The refresh rate of the chosen mode is not asked for.
    EXPECT_EQ(fake.direct3D.lastDeviceRequest->parameters.FullScreen_RefreshRateInHz, 0u);
}

TEST(ApplicationDeviceTest, BehaviourFlagsFollowTheCaps) {
    const struct {
        DWORD devCaps;
        DWORD flags;
    } cases[] = {
        {D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE, 0x50},
        {D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0x80},
        {0, 0x20},
        {D3DDEVCAPS_PUREDEVICE, 0x20},
    };
    for (const auto& c : cases) {
        FakeApplication fake;
        fake.direct3D.caps.DevCaps = c.devCaps;
        ASSERT_EQ(fake.Create(), 0);
        EXPECT_EQ(fake.direct3D.lastDeviceRequest->behaviorFlags, c.flags) << c.devCaps;
    }
}

TEST(ApplicationDeviceTest, CreatesAFullScreenDeviceAndTheSharedBuffersThenClears) {
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    Application& app = fake.application;
    EXPECT_TRUE(app.IsActive());
    EXPECT_TRUE(app.IsDeviceUsable());
    ASSERT_NE(app.GetWindowHandle(), nullptr);
    EXPECT_NE(SdlWindowOf(app.GetWindowHandle()), nullptr);
    EXPECT_EQ(app.GetDevice(), &fake.Device());

    const auto& request = *fake.direct3D.lastDeviceRequest;
    EXPECT_EQ(request.adapter, 0u);
    EXPECT_EQ(request.type, D3DDEVTYPE_HAL);
    EXPECT_EQ(request.focusWindow, app.GetWindowHandle());
    const D3DPRESENT_PARAMETERS& p = request.parameters;
    EXPECT_EQ(p.BackBufferWidth, 640u);
    EXPECT_EQ(p.BackBufferHeight, 480u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 0u);
    EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_COPY);
    EXPECT_EQ(p.hDeviceWindow, app.GetWindowHandle());
    EXPECT_EQ(p.Windowed, FALSE);
    EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(p.Flags, 0u);
    EXPECT_EQ(p.FullScreen_PresentationInterval, 0x80000000u);

    EXPECT_THAT(fake.Device().Calls(),
                ElementsAre(CallOn(app.GetVertexBuffer(), "CreateVertexBuffer", 0x240000,
                                   D3DUSAGE_DYNAMIC, 0x152, D3DPOOL_DEFAULT),
                            CallOn(app.GetIndexBuffer(), "CreateIndexBuffer", 0x60000,
                                   D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT),
                            Call("Clear", 0, D3DCLEAR_TARGET, 0, 0.0f, 0),
                            Call("Clear", 0, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)));
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST(ApplicationDeviceTest, EveryFailureOfCreateLeavesTheObjectAsConstructed) {
    const struct {
        const char* what;
        void (*script)(FakeDirect3D&);
        EngineResult result;
    } cases[] = {
        {"caps", [](FakeDirect3D& d) { d.capsResult = D3DERR_INVALIDCALL; }, -8},
        {"driver-internal error",
         [](FakeDirect3D& d) { d.createDeviceResult = D3DERR_DRIVERINTERNALERROR; }, -11},
        {"other device error", [](FakeDirect3D& d) { d.createDeviceResult = D3DERR_NOTAVAILABLE; },
         -12},
        {"out of memory", [](FakeDirect3D& d) { d.createDeviceResult = E_OUTOFMEMORY; }, -12},
        {"vertex buffer",
         [](FakeDirect3D& d) {
             d.prepareDevice = [](RecordingDevice& dev) {
                 dev.createVertexBufferResult = D3DERR_OUTOFVIDEOMEMORY;
             };
         },
         -13},
        {"index buffer",
         [](FakeDirect3D& d) {
             d.prepareDevice = [](RecordingDevice& dev) {
                 dev.createIndexBufferResult = D3DERR_OUTOFVIDEOMEMORY;
             };
         },
         -14},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeApplication fake;
        c.script(fake.direct3D);
        EXPECT_EQ(fake.Create(), c.result);
        ExpectAsConstructed(fake);
        EXPECT_FALSE(fake.application.SetTitle("x"));
        EXPECT_EQ(fake.application.Update(), -15);
    }
}

TEST(ApplicationDeviceTest, NoDirect3DObjectOrWindowClassOrWindowFailsCreate) {
    {
        ScopedDirect3D none(nullptr);
        FullscreenApplication app(0);
        EXPECT_EQ(app.Create(640, 480), -2);
        EXPECT_EQ(app.GetWindowHandle(), nullptr);
    }
    {
        FakeApplication fake;
        WNDCLASSA taken{};
        taken.lpfnWndProc = DefWindowProcA;
        taken.lpszClassName = "Quorvane";
        ASSERT_NE(RegisterClassA(&taken), 0);
        EXPECT_EQ(fake.Create(), -3);
        EXPECT_EQ(fake.direct3D.CountOf("GetAdapterModeCount"), 0);
        EXPECT_TRUE(fake.direct3D.ReleasedAsOftenAsHandedOut());
        EXPECT_TRUE(UnregisterClassA("Quorvane", nullptr)); // still the test's, not released
    }
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        GTEST_SKIP() << "a window failure can only be provoked before video has started";
    }
    {
        FakeApplication fake;
        const std::string driver = std::getenv("SDL_VIDEODRIVER");
        setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
        const EngineResult result = fake.Create();
        setenv("SDL_VIDEODRIVER", driver.c_str(), 1);
        EXPECT_EQ(result, -4);
        ExpectAsConstructed(fake);
    }
}

class ApplicationUpdateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(fake.Create(), 0);
        fake.Device().ClearCalls();
    }

    FakeApplication fake;
    Application& app = fake.application;
};

TEST_F(ApplicationUpdateTest, PresentsThenClearsForTheNextFrame) {
    EXPECT_EQ(app.Update(), 0);
    EXPECT_THAT(fake.Device().Calls(), ElementsAre(Call("TestCooperativeLevel"), Call("Present"),
                                                   Call("Clear", 0, D3DCLEAR_TARGET, 0, 0.0f, 0),
                                                   Call("Clear", 0, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)));
}

TEST_F(ApplicationUpdateTest, WhileLostNothingIsPresentedOrCleared) {
    RecordingDevice& device = fake.Device();
    device.cooperativeLevel = D3DERR_DEVICELOST;
    EXPECT_EQ(app.Update(), 0);
    EXPECT_EQ(app.Update(), 0);
    EXPECT_FALSE(app.IsDeviceUsable());
    EXPECT_TRUE(app.IsActive());
    app.ClearTarget(0x00262626);
    app.ClearDepth(1.0f);
    EXPECT_THAT(device.NamesOfCalls(), ElementsAre("TestCooperativeLevel", "TestCooperativeLevel"));
}

TEST_F(ApplicationUpdateTest, WhileLostEachUpdateWaitsForWindowMessagesInsteadOfSpinning) {
    fake.Device().cooperativeLevel = D3DERR_DEVICELOST;
    constexpr Uint64 updates = 20;
    const Uint64 start = SDL_GetTicks64();
    for (Uint64 i = 0; i < updates; ++i) {
        ASSERT_EQ(app.Update(), 0);
    }
    EXPECT_GE(SDL_GetTicks64() - start,
              updates * (FullscreenApplication::lostDeviceWaitMilliseconds - 1));
    // A message waiting in the queue ends the wait at once, and stays for the next pump.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_TIMEOUT);
    PostMessageA(app.GetWindowHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 60000, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(app.Update(), 0);
    EXPECT_FALSE(app.IsActive());
}

TEST_F(ApplicationUpdateTest, NotResetRebuildsTheBuffersAndDrawsAgain) {
    RecordingDevice& device = fake.Device();
    auto* oldVertices = fake.application.GetVertexBuffer();
    auto* oldIndices = fake.application.GetIndexBuffer();
    BYTE* data = nullptr;
    ASSERT_EQ(oldVertices->Lock(0, 0, &data, 0), D3D_OK);
    data[0] = 0x5A;
    oldVertices->Unlock();
    device.cooperativeLevel = D3DERR_DEVICELOST;
    EXPECT_EQ(app.Update(), 0);
    device.cooperativeLevel = D3DERR_DEVICENOTRESET;
    device.ClearCalls();

    EXPECT_EQ(app.Update(), 0);
    EXPECT_THAT(device.Calls(),
                ElementsAre(Call("TestCooperativeLevel"),
                            CallOn(oldIndices, "IndexBuffer::Release"),
                            CallOn(oldVertices, "VertexBuffer::Release"), Call("Reset"),
                            CallOn(app.GetVertexBuffer(), "CreateVertexBuffer", 0x240000,
                                   D3DUSAGE_DYNAMIC, 0x152, D3DPOOL_DEFAULT),
                            CallOn(app.GetIndexBuffer(), "CreateIndexBuffer", 0x60000,
                                   D3DUSAGE_DYNAMIC, D3DFMT_INDEX16, D3DPOOL_DEFAULT),
                            Call("Clear", 0, D3DCLEAR_TARGET, 0, 0.0f, 0),
                            Call("Clear", 0, D3DCLEAR_ZBUFFER, 0, 1.0f, 0)));
    const D3DPRESENT_PARAMETERS used = device.CallsNamed("Reset").at(0).parameters;
    EXPECT_EQ(used.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(used.hDeviceWindow, app.GetWindowHandle());
    EXPECT_EQ(used.FullScreen_PresentationInterval, 0x80000000u);
    EXPECT_TRUE(app.IsDeviceUsable());
    EXPECT_NE(app.GetVertexBuffer(), oldVertices);
    EXPECT_EQ(fake.VertexBuffer().bytes[0], 0); // new, holding nothing from before
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    device.ClearCalls();
    EXPECT_EQ(app.Update(), 0);
    EXPECT_EQ(device.PresentCount(), 1);
    EXPECT_THAT(device.Misuse(), IsEmpty());
}

TEST(ApplicationRecoveryTest, FailuresOfTheResetPathEndTheActiveState) {
    const struct {
        const char* what;
        void (*script)(RecordingDevice&);
        EngineResult result;
    } cases[] = {
        {"reset", [](RecordingDevice& d) { d.resetResult = D3DERR_INVALIDCALL; }, -20},
        {"vertex buffer",
         [](RecordingDevice& d) { d.createVertexBufferResult = D3DERR_OUTOFVIDEOMEMORY; }, -21},
        {"index buffer",
         [](RecordingDevice& d) { d.createIndexBufferResult = D3DERR_OUTOFVIDEOMEMORY; }, -22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeApplication local;
        ASSERT_EQ(local.Create(), 0);
        RecordingDevice& device = local.Device();
        device.cooperativeLevel = D3DERR_DEVICENOTRESET;
        c.script(device);
        EXPECT_EQ(local.application.Update(), c.result);
        EXPECT_FALSE(local.application.IsActive());
        EXPECT_FALSE(local.application.IsDeviceUsable());
        EXPECT_EQ(local.application.Update(), -15);
        local.application.Release();
        EXPECT_TRUE(device.released());
        EXPECT_THAT(device.Misuse(), IsEmpty());
    }
}

// Pushes an SDL event as the windowing system would deliver it to the application's window.
void Deliver(SDL_Event event) {
    ASSERT_EQ(SDL_PushEvent(&event), 1);
}

SDL_Event KeyDown(HWND window, SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.windowID = SDL_GetWindowID(SdlWindowOf(window));
    event.key.keysym.sym = key;
    return event;
}

TEST_F(ApplicationUpdateTest, EscapeEndsTheActiveStateButTheWindowLivesUntilRelease) {
    HWND window = app.GetWindowHandle();
    Deliver(KeyDown(window, SDLK_ESCAPE));
    EXPECT_TRUE(app.IsActive());
    EXPECT_EQ(app.Update(), 0);
    EXPECT_FALSE(app.IsActive());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_NE(app.GetDevice(), nullptr);
    EXPECT_FALSE(app.SetTitle("Vellomire"));
    EXPECT_EQ(app.Update(), -15);
    app.Release();
    EXPECT_FALSE(IsWindow(window));
}

TEST(ApplicationMessageTest, ACloseRequestFromAnySourceEndsTheActiveState) {
    const struct {
        const char* what;
        void (*request)(HWND);
    } cases[] = {
        {"window manager close",
         [](HWND w) {
             SDL_Event e{};
             e.type = SDL_WINDOWEVENT;
             e.window.event = SDL_WINDOWEVENT_CLOSE;
             e.window.windowID = SDL_GetWindowID(SdlWindowOf(w));
             Deliver(e);
         }},
        {"quit request",
         [](HWND) {
             SDL_Event e{};
             e.type = SDL_QUIT;
             Deliver(e);
         }},
        {"posted WM_CLOSE", [](HWND w) { PostMessageA(w, WM_CLOSE, 0, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeApplication local;
        ASSERT_EQ(local.Create(), 0);
        c.request(local.application.GetWindowHandle());
        EXPECT_EQ(local.application.Update(), 0);
        EXPECT_FALSE(local.application.IsActive());
        EXPECT_TRUE(IsWindow(local.application.GetWindowHandle()));
    }
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    EXPECT_EQ(SendMessageA(fake.application.GetWindowHandle(), WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(fake.application.IsActive());
}

TEST_F(ApplicationUpdateTest, OtherMessagesReachTheHookOrDefaultHandling) {
    HWND window = app.GetWindowHandle();
    Deliver(KeyDown(window, SDLK_SPACE)); // no hook: default handling, nothing changes
    EXPECT_EQ(app.Update(), 0);
    EXPECT_TRUE(app.IsActive());

    struct Seen {
        HWND window;
        UINT message;
        WPARAM wParam;
    };
    std::vector<Seen> seen;
    app.SetMessageHook([&seen](HWND w, UINT message, WPARAM wParam, LPARAM) -> LRESULT {
        seen.push_back({w, message, wParam});
        return 7;
    });
    Deliver(KeyDown(window, SDLK_q));
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(SdlWindowOf(window));
    Deliver(motion);
    EXPECT_EQ(SendMessageA(window, WM_KEYUP, 'Q', 0), 7);
    EXPECT_EQ(app.Update(), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].window, window);
    EXPECT_EQ(seen[0].message, WM_KEYUP); // sent: at once
    EXPECT_EQ(seen[1].message, WM_KEYDOWN);
    EXPECT_EQ(seen[1].wParam, WPARAM{'Q'});
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE); // WM_SETCURSOR kept it hidden
    EXPECT_TRUE(app.IsActive());
}

TEST_F(ApplicationUpdateTest, ThreadMessagesAreNeverFetched) {
    PostMessageA(nullptr, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(app.Update(), 0);
    EXPECT_TRUE(app.IsActive());
    MSG msg{};
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, nullptr);
}

TEST(ApplicationLifecycleTest, SetTitleOnlyWhileActive) {
    FakeApplication fake;
    EXPECT_FALSE(fake.application.SetTitle("Vellomire"));
    ASSERT_EQ(fake.Create(), 0);
    EXPECT_TRUE(fake.application.SetTitle("Vellomire"));
    EXPECT_STREQ(SDL_GetWindowTitle(SdlWindowOf(fake.application.GetWindowHandle())), "Vellomire");
    fake.application.Release();
    EXPECT_FALSE(fake.application.SetTitle("Vellomire"));
}

TEST(ApplicationLifecycleTest, CreateTwiceReleasesTheFirstWindowAndDevice) {
    FakeApplication fake;
    ASSERT_EQ(fake.Create(), 0);
    HWND first = fake.application.GetWindowHandle();
    RecordingDevice& firstDevice = fake.Device();
    ASSERT_EQ(fake.Create(), 0);
    EXPECT_TRUE(firstDevice.released());
    if (first != fake.application.GetWindowHandle()) { // the allocator may reuse the address
        EXPECT_FALSE(IsWindow(first));
    }
    EXPECT_NE(&fake.Device(), &firstDevice);
    EXPECT_EQ(fake.direct3D.handedOut, 2);
    EXPECT_EQ(fake.direct3D.releases, 1);
    EXPECT_TRUE(fake.application.IsActive());
    EXPECT_THAT(firstDevice.Misuse(), IsEmpty());
}

TEST(ApplicationLifecycleTest, ReleaseFreesInOrderAndIsHarmlessAgain) {
    FakeApplication fake;
    fake.application.Release(); // constructed: nothing to do
    ASSERT_EQ(fake.Create(), 0);
    RecordingDevice& device = fake.Device();
    IDirect3DVertexBuffer8* vertices = fake.application.GetVertexBuffer();
    IDirect3DIndexBuffer8* indices = fake.application.GetIndexBuffer();
    HWND window = fake.application.GetWindowHandle();
    device.ClearCalls();
    fake.application.Release();
    EXPECT_THAT(device.Calls(),
                ElementsAre(CallOn(indices, "IndexBuffer::Release"),
                            CallOn(vertices, "VertexBuffer::Release"), Call("Release")));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(fake.direct3D.NamesOfCalls().back(), "Release");
    fake.application.Release();
    ExpectAsConstructed(fake);
    EXPECT_EQ(fake.direct3D.releases, 1);
}

} // namespace
