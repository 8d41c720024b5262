#pragma once
// The process-wide host setting, chosen before the driver starts (see DESIGN.md, "Host modes").
//
// Play: SDL's default video driver with a full-screen window, timeGetTime from the real clock,
// the music position from the audio device.
// Capture: SDL's offscreen driver at any render size, timeGetTime from a virtual clock that
// the capture tool advances by exactly one frame per present, the music position computed
// from the same virtual time. Nothing is played.

#include <cstdint>
#include <functional>

namespace host {

struct CaptureSettings {
    int width = 640; // size of the picture handed to the sink, in pixels
    int height = 480;
    int supersample = 1; // render this many times larger in each direction, then average down
    std::uint32_t fpsNumerator = 60;
    std::uint32_t fpsDenominator = 1;
};

bool IsCapture();
const CaptureSettings& Capture();

// Play: the size the show is rendered at before the window shows it, scaled with its 4:3
// shape kept. By default the back buffer's own size; or the largest 4:3 picture inside the
// window's pixel size (native) or inside a given size, as the capture host renders it.
struct PlayResolution {
    bool native = false;
    int width = 0; // with native false, 0 means the back buffer's size
    int height = 0;
};
const PlayResolution& Resolution();
void SetResolution(const PlayResolution& resolution);

// The largest 4:3 picture that fits a size (1920 x 1080 gives 1440 x 1080).
struct PictureSize {
    int width;
    int height;
};
PictureSize PictureFor(int width, int height);

// Switches the process to capture mode; call before anything is created.
void EnterCapture(const CaptureSettings& settings);

// Virtual time of frame n is n * fpsDenominator / fpsNumerator seconds, computed from n,
// never accumulated.
std::uint64_t VirtualFrame();
void SetVirtualFrame(std::uint64_t frame);
// floor(frame * den * 1000 / num): the value timeGetTime returns in capture mode.
std::uint32_t VirtualMilliseconds();
// floor(frame * den * bytesPerSecond / num): the music position in capture mode.
std::uint64_t VirtualBytes(std::uint64_t bytesPerSecond);

// While false the device skips drawing (frames before a capture's start still run so that
// every clock and the puzzle are where they would be).
bool DrawingEnabled();
void SetDrawingEnabled(bool enabled);

// Called by the device after each present in capture mode; the capture tool reads the frame
// back and advances the virtual clock here.
void SetPresentHook(std::function<void()> hook);
void NotifyPresent();

// Asks every window to close, as a user would: the driver then ends after the current frame.
void RequestClose();

} // namespace host
