#include "platform/Application.h"

#include <utility>

Application::Application(UINT adapterOrdinal) : adapter(adapterOrdinal) {}

Application::~Application() {
    Release();
}

void Application::Release() {
    active = false;
    deviceUsable = false;
    if (indexBuffer != nullptr) {
        indexBuffer->Release();
        indexBuffer = nullptr;
    }
    if (vertexBuffer != nullptr) {
        vertexBuffer->Release();
        vertexBuffer = nullptr;
    }
    if (window != nullptr) {
        RemovePropA(window, propertyName);
    }
    if (device != nullptr) {
        device->Release();
        device = nullptr;
    }
    capabilities = {};
    presentParameters = {};
    if (window != nullptr) {
        DestroyWindow(window);
        window = nullptr;
    }
    if (classRegistered) {
        UnregisterClassA(className, GetModuleHandleA(nullptr));
        classRegistered = false;
    }
    if (direct3D != nullptr) {
        direct3D->Release();
        direct3D = nullptr;
    }
}

bool Application::SetTitle(const char* text) {
    if (!active) {
        return false;
    }
    return SetWindowTextA(window, text) != FALSE;
}

void Application::SetMessageHook(MessageHook hook) {
    messageHook = std::move(hook);
}

void Application::ClearTarget(D3DCOLOR color) {
    if (deviceUsable && device != nullptr) {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 0.0f, 0);
    }
}

void Application::ClearDepth(float z) {
    if (deviceUsable && device != nullptr) {
        device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, z, 0);
    }
}

LRESULT EngineWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* application = static_cast<Application*>(GetPropA(window, "classPtr"));
    if (application == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return application->HandleMessage(message, wParam, lParam);
}
