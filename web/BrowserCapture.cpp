#include "web/BrowserCapture.h"

#include "demo/Demo.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/BrowserPage.h"
#include "platform/win32/Host.h"

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
    host::CaptureSettings settings;
    settings.fpsNumerator = job.fps;
    host::EnterCapture(settings);
    host::SetVirtualFrame(0);
    host::SetDrawingEnabled(job.schedule.Contains(0));
    ReadBackImage picture;
    host::SetPresentHook([&job, &picture] {
        const std::uint64_t frame = host::VirtualFrame();
        if (job.schedule.Contains(frame) &&
            ReadBack(LiveGLDevice(), ReadBackSource::Presented, picture)) {
            HandFrameToPage(static_cast<double>(frame), picture.width, picture.height,
                            picture.rgb.data());
        }
        host::SetVirtualFrame(frame + 1);
        host::SetDrawingEnabled(job.schedule.Contains(frame + 1));
        if (frame + 1 > job.schedule.Last()) {
            browser::RequestClose();
        }
        // The page gets its turn now and then, and after every frame it was given.
        if (job.schedule.Contains(frame) || frame % 30 == 0) {
            browser::Yield();
        }
    });
    const int status = RunDemo(ShowScenes());
    host::SetPresentHook(nullptr);
    return status;
}
