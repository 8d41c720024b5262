#pragma once
// The engine's one object per program: the full-screen window, the Direct3D object and
// device, and the two dynamic buffers every renderer fills per draw.

#include "platform/EngineResult.h"
#include "platform/d3d8/D3D8.h"
#include "platform/win32/Windows.h"

#include <functional>

class Application {
  public:
    using MessageHook = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    // Shared dynamic vertex buffer: 65,536 vertices of 36 bytes (position, normal, diffuse
    // colour, one texture pair; format 0x152).
    static constexpr UINT vertexStride = 36;
    static constexpr UINT vertexCapacity = 65536;
    static constexpr UINT vertexBufferBytes = 0x240000;
    static constexpr DWORD vertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
    // Shared dynamic index buffer: 196,608 16-bit indices, 65,536 triangles.
    static constexpr UINT indexCapacity = 196608;
    static constexpr UINT indexBufferBytes = 0x60000;

    explicit Application(UINT adapterOrdinal);
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Window and device of the given client size; on failure everything is released again.
    virtual EngineResult Create(int width, int height) = 0;
    // Message pump, then present, clear for the next frame and device upkeep.
    virtual EngineResult Update() = 0;
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // Frees everything; safe in any state and any number of times.
    void Release();

    // When active: the window's caption; false and nothing done otherwise.
    bool SetTitle(const char* text);
    // Receives the messages HandleMessage does not handle itself; empty by default.
    void SetMessageHook(MessageHook hook);

    HWND GetWindowHandle() const { return window; }
    IDirect3DDevice8* GetDevice() const { return device; }
    IDirect3DVertexBuffer8* GetVertexBuffer() const { return vertexBuffer; }
    IDirect3DIndexBuffer8* GetIndexBuffer() const { return indexBuffer; }
    bool IsActive() const { return active; }
    bool IsDeviceUsable() const { return deviceUsable; }

    // Clear the colour (0xAARRGGBB) or depth (0..1) target; nothing while the device is lost.
    void ClearTarget(D3DCOLOR color);
    void ClearDepth(float z);

  protected:
    static constexpr const char* className = "Quorvane";
    static constexpr const char* propertyName = "classPtr";

    UINT adapter;
    MessageHook messageHook;
    IDirect3D8* direct3D = nullptr;
    bool classRegistered = false;
    HWND window = nullptr;
    D3DCAPS8 capabilities{};
    D3DPRESENT_PARAMETERS presentParameters{};
    IDirect3DDevice8* device = nullptr;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr;
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    bool active = false;
    bool deviceUsable = false;
};

// The window procedure registered with the engine's window class: hands each message to the
// Application stored in the window's "classPtr" property, default handling when there is none.
LRESULT EngineWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
