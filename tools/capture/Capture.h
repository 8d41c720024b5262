#pragma once
// Running the show on the virtual clock of the capture host: every present advances the
// clock by exactly one frame and hands the scheduled pictures to a sink.

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSchedule.h"
#include "tools/capture/FrameSink.h"

#include <string>

struct CaptureJob {
    FrameRate fps;
    int outputWidth = 640; // the picture is centred in the output, black around it
    int outputHeight = 480;
    int supersample = 1;
    FrameSchedule schedule = FrameSchedule::Range(0, 0);
    FrameSink* sink = nullptr; // null: measure only (benchmark)
    int writerThreads = 1;     // more than one only for a sink that takes frames in any order
};

struct CaptureOutcome {
    int status = 0;                  // 0, or 1 when the show or the output failed
    int stopSignal = 0;              // the signal that stopped the capture early, or 0
    std::uint64_t framesWritten = 0; // handed to the sink (benchmark: measured)
    std::string error;               // one line, when the output failed
};

// The driver of the show, unchanged, with every scene's start-up, so each frame is the one
// the show draws at that time.
CaptureOutcome CaptureShow(const CaptureJob& job);
