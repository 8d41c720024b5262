#include "platform/win32/Host.h"

#include "platform/win32/WindowRegistry.h"
#include "platform/win32/Windows.h"

#include <algorithm>
#include <utility>

namespace host {
namespace {

bool captureMode = false;
CaptureSettings captureSettings;
PlayResolution resolution;
std::uint64_t frame = 0;
bool drawing = true;
std::function<void()> presentHook;

} // namespace

bool IsCapture() {
    return captureMode;
}
const CaptureSettings& Capture() {
    return captureSettings;
}

const PlayResolution& Resolution() {
    return resolution;
}
void SetResolution(const PlayResolution& asked) {
    resolution = asked;
}

PictureSize PictureFor(int width, int height) {
    const int unit = std::min(width / 4, height / 3);
    return {unit * 4, unit * 3};
}

void EnterCapture(const CaptureSettings& settings) {
    captureMode = true;
    captureSettings = settings;
    frame = 0;
}

std::uint64_t VirtualFrame() {
    return frame;
}
void SetVirtualFrame(std::uint64_t n) {
    frame = n;
}

std::uint32_t VirtualMilliseconds() {
    return static_cast<std::uint32_t>(VirtualBytes(1000));
}

std::uint64_t VirtualBytes(std::uint64_t bytesPerSecond) {
    const auto& s = captureSettings;
    // Split into quotient and remainder so that no intermediate product can overflow.
    const std::uint64_t ticks = frame * s.fpsDenominator;
    const std::uint64_t whole = ticks / s.fpsNumerator;
    const std::uint64_t rest = ticks % s.fpsNumerator;
    return whole * bytesPerSecond + rest * bytesPerSecond / s.fpsNumerator;
}

bool DrawingEnabled() {
    return drawing;
}
void SetDrawingEnabled(bool enabled) {
    drawing = enabled;
}

void SetPresentHook(std::function<void()> hook) {
    presentHook = std::move(hook);
}

void NotifyPresent() {
    if (presentHook) {
        presentHook();
    }
}

void RequestClose() {
    for (HWND window : win32::LiveWindows()) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
}

} // namespace host
