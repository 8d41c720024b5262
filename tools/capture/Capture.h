#pragma once
// Running the show, or one scene, on the virtual clock of the capture host: every present
// advances the clock by exactly one frame and hands the picture to a sink.

#include "demo/SceneTable.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSchedule.h"
#include "tools/capture/FrameSink.h"

struct CaptureJob {
    FrameRate fps;
    int outputWidth = 640; // the picture is centred in the output, black around it
    int outputHeight = 480;
    int supersample = 1;
    FrameSchedule schedule = FrameSchedule::Range(0, 0);
    FrameSink* sink = nullptr; // null: measure only (benchmark)
};

// The driver of the show, unchanged. Returns its exit status, or 1 when the sink failed.
int CaptureShow(const CaptureJob& job);

// Initialises one scene and renders it for every frame from `renderFrom` to the schedule's
// last, as the driver would (the same frame timer, the same music time per frame).
int CaptureScene(const CaptureJob& job, SceneId scene, std::uint64_t renderFrom);
