#pragma once
// The capture host in the browser: the show's own driver on the virtual clock (every present
// is one frame of 1/fps seconds; nothing is played), the chosen frames read back from the
// device and handed to the page as Module.onCaptureFrame(frame, width, height, rgb), rgb being
// 8-bit R, G, B rows, top first. Frames before the first chosen one run without drawing.

#include "tools/capture/FrameSchedule.h"

#include <cstdint>
#include <optional>

struct BrowserCaptureJob {
    std::uint32_t fps = 60;
    int width = 640; // the picture's size
    int height = 480;
    FrameSchedule schedule = FrameSchedule::Range(0, 0);
};

// The page's Module.capture = {fps: N, frames: [n, ...]}; none when the page plays the show.
// `sharp`: the picture is the largest 4:3 one inside the canvas rather than 640 x 480.
std::optional<BrowserCaptureJob> CaptureJobOfPage(bool sharp);

// Runs the show until the last chosen frame has been handed over; returns the driver's status.
int RunBrowserCapture(const BrowserCaptureJob& job);
