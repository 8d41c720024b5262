#pragma once
// A scriptable Direct3D object for tests. Fill its public fields, install it with
// ScopedDirect3D, and Direct3DCreate8 hands it out instead of the OpenGL implementation.
// Every call is recorded (Calls()); CreateDevice makes a RecordingDevice that the fake owns
// and keeps until it is destroyed, so a test can inspect it after the application let go.
//
//   FakeDirect3D direct3D;                      // one 640 x 480 X8R8G8B8 mode, hardware T&L
//   direct3D.modes = {{640, 480, 60, D3DFMT_R5G6B5}, {640, 480, 60, D3DFMT_X8R8G8B8}};
//   direct3D.createDeviceResult = D3DERR_DRIVERINTERNALERROR;
//   ScopedDirect3D installed(&direct3D);
//   EXPECT_EQ(application.Create(640, 480), -11);

#include "support/RecordingDevice.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class FakeDirect3D : public IDirect3D8 {
  public:
    FakeDirect3D();
    ~FakeDirect3D() override;
    FakeDirect3D(const FakeDirect3D&) = delete;
    FakeDirect3D& operator=(const FakeDirect3D&) = delete;

    // Scripting.
    std::vector<D3DDISPLAYMODE> modes;      // what EnumAdapterModes reports, by index
    std::set<UINT> failingEnumerations;     // mode indices whose EnumAdapterModes fails
    std::set<D3DFORMAT> deviceTypeRejects;  // CheckDeviceType fails for these formats
    std::set<D3DFORMAT> depthFormatRejects; // CheckDeviceFormat (D16 depth) fails
    std::set<D3DFORMAT> depthMatchRejects;  // CheckDepthStencilMatch fails
    D3DCAPS8 caps{};                        // DevCaps: hardware T&L and pure device
    HRESULT capsResult = D3D_OK;
    HRESULT createDeviceResult = D3D_OK;
    // Applied to each new device before CreateDevice hands it out (e.g. to make its buffer
    // creation fail).
    std::function<void(RecordingDevice&)> prepareDevice;

    // Inspection.
    const std::vector<RecordedCall>& Calls() const { return calls_; }
    std::vector<std::string> NamesOfCalls() const;
    int CountOf(const std::string& name) const;
    struct DeviceRequest {
        UINT adapter;
        D3DDEVTYPE type;
        HWND focusWindow;
        DWORD behaviorFlags;
        D3DPRESENT_PARAMETERS parameters;
    };
    std::optional<DeviceRequest> lastDeviceRequest;
    RecordingDevice* LastDevice() const; // null before the first successful CreateDevice
    int handedOut = 0;                   // times Direct3DCreate8 returned this object
    int releases = 0;
    bool ReleasedAsOftenAsHandedOut() const { return releases == handedOut; }

    // IDirect3D8.
    ULONG Release() override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat,
                                   D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                         D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice8** device) override;

  private:
    std::vector<RecordedCall> calls_;
    std::vector<std::unique_ptr<RecordingDevice>> devices_;
};

// Installs a fake as what Direct3DCreate8 returns (null: Direct3DCreate8 fails) for the life
// of this object; the OpenGL implementation is back afterwards.
class ScopedDirect3D {
  public:
    explicit ScopedDirect3D(FakeDirect3D* fake);
    ~ScopedDirect3D();
    ScopedDirect3D(const ScopedDirect3D&) = delete;
    ScopedDirect3D& operator=(const ScopedDirect3D&) = delete;
};
