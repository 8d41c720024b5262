#include "platform/FullscreenApplication.h"

namespace {

HRESULT CreateSharedVertexBuffer(IDirect3DDevice8* device, IDirect3DVertexBuffer8** buffer) {
    return device->CreateVertexBuffer(Application::vertexBufferBytes, D3DUSAGE_DYNAMIC,
                                      Application::vertexFormat, D3DPOOL_DEFAULT, buffer);
}

HRESULT CreateSharedIndexBuffer(IDirect3DDevice8* device, IDirect3DIndexBuffer8** buffer) {
    return device->CreateIndexBuffer(Application::indexBufferBytes, D3DUSAGE_DYNAMIC,
                                     D3DFMT_INDEX16, D3DPOOL_DEFAULT, buffer);
}

} // namespace

EngineResult FullscreenApplication::Create(int width, int height) {
    Release();

    direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (direct3D == nullptr) {
        return engine_code::direct3DCreateFailed;
    }

    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC | CS_SAVEBITS;
    windowClass.lpfnWndProc = EngineWindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    if (RegisterClassA(&windowClass) == 0) {
        Release();
        return engine_code::registerClassFailed;
    }
    classRegistered = true;

    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, WS_POPUP, FALSE, WS_EX_TOPMOST);
    window = CreateWindowExA(WS_EX_TOPMOST, className, "Engine", WS_POPUP, 0, 0,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        Release();
        return engine_code::createWindowFailed;
    }
    SetPropA(window, propertyName, this);
    ShowWindow(window, SW_SHOW);

    const EngineResult result = CreateDevice(width, height);
    if (result != engine_code::ok) {
        Release();
        return result;
    }

    active = true;
    deviceUsable = true;
    ClearTarget(0);
    ClearDepth(1.0f);
    SetCursor(nullptr);
    return engine_code::ok;
}

// The device half of Create; the caller releases on failure.
EngineResult FullscreenApplication::CreateDevice(int width, int height) {
    // Walk the modes from the last down; of the accepted ones of exactly this size the smallest
    // format value wins, the first found (highest index) among equals.
    const UINT modeCount = direct3D->GetAdapterModeCount(adapter);
    bool enumerated = false;
    bool accepted = false;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    for (UINT index = modeCount; index-- > 0;) {
        D3DDISPLAYMODE mode{};
        if (FAILED(direct3D->EnumAdapterModes(adapter, index, &mode))) {
            // A later failure ends the walk with whatever was accepted so far.
            if (!enumerated || !accepted) {
                return engine_code::enumerateModesFailed;
            }
            break;
        }
        enumerated = true;
        if (mode.Width != static_cast<UINT>(width) || mode.Height != static_cast<UINT>(height)) {
            continue;
        }
        if (FAILED(direct3D->CheckDeviceType(adapter, D3DDEVTYPE_HAL, mode.Format, mode.Format,
                                             TRUE)) ||
            FAILED(direct3D->CheckDeviceFormat(adapter, D3DDEVTYPE_HAL, mode.Format,
                                               D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                               D3DFMT_D16)) ||
            FAILED(direct3D->CheckDepthStencilMatch(adapter, D3DDEVTYPE_HAL, mode.Format,
                                                    mode.Format, D3DFMT_D16))) {
            continue;
        }
        if (!accepted || mode.Format < format) {
            format = mode.Format;
            accepted = true;
        }
    }
    if (!accepted) {
        return engine_code::noDisplayMode;
    }

    if (FAILED(direct3D->GetDeviceCaps(adapter, D3DDEVTYPE_HAL, &capabilities))) {
        return engine_code::deviceCapsFailed;
    }
    DWORD behavior = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if ((capabilities.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0) {
        behavior = (capabilities.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0
                       ? D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE
                       : D3DCREATE_MIXED_VERTEXPROCESSING;
    }

    presentParameters = {};
    presentParameters.BackBufferWidth = static_cast<UINT>(width);
    presentParameters.BackBufferHeight = static_cast<UINT>(height);
    presentParameters.BackBufferFormat = format;
    presentParameters.BackBufferCount = 0;
    presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    presentParameters.SwapEffect = D3DSWAPEFFECT_COPY;
    presentParameters.hDeviceWindow = window;
    presentParameters.Windowed = FALSE;
    presentParameters.EnableAutoDepthStencil = TRUE;
    presentParameters.AutoDepthStencilFormat = D3DFMT_D16;
    presentParameters.Flags = 0;
    presentParameters.FullScreen_RefreshRateInHz = 0;
    presentParameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;

    const HRESULT created = direct3D->CreateDevice(adapter, D3DDEVTYPE_HAL, window, behavior,
                                                   &presentParameters, &device);
    if (FAILED(created)) {
        device = nullptr;
        return created == D3DERR_DRIVERINTERNALERROR ? engine_code::deviceDriverInternalError
                                                     : engine_code::createDeviceFailed;
    }
    if (FAILED(CreateSharedVertexBuffer(device, &vertexBuffer))) {
        vertexBuffer = nullptr;
        return engine_code::createVertexBufferFailed;
    }
    if (FAILED(CreateSharedIndexBuffer(device, &indexBuffer))) {
        indexBuffer = nullptr;
        return engine_code::createIndexBufferFailed;
    }
    return engine_code::ok;
}

EngineResult FullscreenApplication::Update() {
    if (!active) {
        return engine_code::notActive;
    }
    // Only this window's messages: thread messages are never fetched.
    MSG msg{};
    while (PeekMessageA(&msg, window, 0, 0, PM_NOREMOVE) != FALSE) {
        GetMessageA(&msg, window, 0, 0);
        DispatchMessageA(&msg);
    }
    return UpdateDevice();
}

EngineResult FullscreenApplication::UpdateDevice() {
    const HRESULT level = device->TestCooperativeLevel();
    if (level == D3D_OK) {
        device->Present(nullptr, nullptr, nullptr, nullptr);
        ClearTarget(0);
        ClearDepth(1.0f);
        return engine_code::ok;
    }
    deviceUsable = false;
    if (level != D3DERR_DEVICENOTRESET) {
        // Still lost (minimised): nothing is drawn, so wait a little for the window's
        // messages instead of spinning; the music, and so the show, goes on meanwhile.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, lostDeviceWaitMilliseconds, QS_ALLINPUT);
        return engine_code::ok;
    }

    if (indexBuffer != nullptr) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (FAILED(device->Reset(&presentParameters))) {
        active = false;
        return engine_code::resetFailed;
    }
    if (FAILED(CreateSharedVertexBuffer(device, &vertexBuffer))) {
        vertexBuffer = nullptr;
        active = false;
        return engine_code::recreateVertexBufferFailed;
    }
    if (FAILED(CreateSharedIndexBuffer(device, &indexBuffer))) {
        indexBuffer = nullptr;
        active = false;
        return engine_code::recreateIndexBufferFailed;
    }
    deviceUsable = true;
    ClearTarget(0);
    ClearDepth(1.0f);
    SetCursor(nullptr);
    return engine_code::ok;
}

LRESULT FullscreenApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        active = false;
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    default:
        break;
    }
    if (messageHook) {
        return messageHook(window, message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
