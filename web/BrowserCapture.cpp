#include "web/BrowserCapture.h"

#include "demo/VirtualClock.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/BrowserPage.h"

#include <emscripten.h>

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

std::optional<BrowserCaptureJob> CaptureJobOfPage() {
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
    return BrowserCaptureJob{static_cast<std::uint32_t>(fps), FrameSchedule::Frames(frames)};
}

int RunBrowserCapture(const BrowserCaptureJob& job) {
    ReadBackImage picture;
    VirtualClockRun run;
    run.settings.fpsNumerator = job.fps;
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
