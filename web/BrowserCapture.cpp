#include "web/BrowserCapture.h"

#include "demo/VirtualClock.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/BrowserPage.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <vector>

namespace {

// clang-format off
EM_JS(int, CaptureFrameCount, (), {
    var c = Module["capture"];
    return c && c.frames && c.frames.length > 0 ? c.frames.length : 0;
});
EM_JS(double, CaptureFrameAt, (int i), { return Module["capture"].frames[i]; });
EM_JS(int, CaptureFps, (), { return Module["capture"].fps | 0; });
EM_JS(void, HandFrameToPage, (double frame, int width, int height, const void* rgb), {
    if (Module["onCaptureFrame"])
        Module["onCaptureFrame"](frame, width, height, HEAPU8.slice(rgb, rgb + width * height * 3));
});
// clang-format on

} // namespace

std::optional<BrowserCaptureJob> CaptureJobOfPage(bool sharp) {
    const int count = CaptureFrameCount();
    if (count == 0) {
        return std::nullopt;
    }
    std::vector<std::uint64_t> frames;
    for (int i = 0; i < count; ++i) {
        const double frame = CaptureFrameAt(i);
        if (frame >= 0) {
            frames.push_back(static_cast<std::uint64_t>(frame));
        }
    }
    const int fps = CaptureFps();
    if (frames.empty() || fps <= 0) {
        return std::nullopt;
    }
    BrowserCaptureJob job;
    job.fps = static_cast<std::uint32_t>(fps);
    job.schedule = FrameSchedule::Frames(frames);
    if (sharp) {
        int canvasWidth = 0;
        int canvasHeight = 0;
        emscripten_get_canvas_element_size("#canvas", &canvasWidth, &canvasHeight);
        const host::PictureSize picture = host::PictureFor(canvasWidth, canvasHeight);
        if (picture.width > 0) {
            job.width = picture.width;
            job.height = picture.height;
        }
    }
    return job;
}

int RunBrowserCapture(const BrowserCaptureJob& job) {
    ReadBackImage picture;
    VirtualClockRun run;
    run.settings.fpsNumerator = job.fps;
    run.settings.width = job.width;
    run.settings.height = job.height;
    run.drawn = [&job](std::uint64_t frame) { return job.schedule.Contains(frame); };
    run.lastFrame = job.schedule.Last();
    run.presented = [&job, &picture](std::uint64_t frame) {
        if (job.schedule.Contains(frame) &&
            ReadBack(LiveGLDevice(), ReadBackSource::Presented, picture)) {
            HandFrameToPage(static_cast<double>(frame), picture.width, picture.height,
                            picture.rgb.data());
        }
        // The page gets its turn now and then, and after every frame it was given.
        if (job.schedule.Contains(frame) || frame % 30 == 0) {
            browser::Yield();
        }
        return true;
    };
    return RunOnVirtualClock(run);
}
