#pragma once
// The show played on the capture host's virtual clock: exactly one frame per present, the
// device drawing only the frames asked for, and the show ended after the last of them.

#include "platform/win32/Host.h"

#include <cstdint>
#include <functional>

struct VirtualClockRun {
    host::CaptureSettings settings;
    // Whether frame n is drawn (the others still run, so every clock is where it would be).
    std::function<bool(std::uint64_t frame)> drawn;
    std::uint64_t lastFrame = 0;
    // At the present of each frame, before the clock moves on; false ends the show after
    // this frame.
    std::function<bool(std::uint64_t frame)> presented;
};

// Plays the show's scenes from frame 0; the driver's exit status.
int RunOnVirtualClock(const VirtualClockRun& run);
