#pragma once
// Which frames a command line asks for, checked against the show's timeline before anything
// starts, so that a request that cannot be met is refused at once.

#include "demo/SceneTable.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSchedule.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

struct CapturePlan {
    FrameSchedule schedule = FrameSchedule::Range(0, 0);
    std::optional<SceneId> scene;                              // scene mode
    std::vector<std::pair<std::uint64_t, std::string>> labels; // contact sheet: frame, label
};

// Nothing, with `error` set to one line, when the options ask for a time outside the show or
// outside the scene's windows.
std::optional<CapturePlan> PlanCapture(const CaptureOptions& options, std::string& error);

// The music time the driver computes for frame n on the capture host's virtual clock: the
// stream position of 16-bit stereo at 44,100 Hz, read as signed 32-bit, divided in single
// precision.
float MusicSecondsOf(FrameRate fps, std::uint64_t frame);
