#include "demo/VirtualClock.h"

#include "demo/Demo.h"

int RunOnVirtualClock(const VirtualClockRun& run) {
    host::EnterCapture(run.settings);
    host::SetVirtualFrame(0);
    host::SetDrawingEnabled(run.drawn(0));
    host::SetPresentHook([&run] {
        const std::uint64_t frame = host::VirtualFrame();
        if (!run.presented(frame)) {
            host::RequestClose();
            return;
        }
        host::SetVirtualFrame(frame + 1);
        host::SetDrawingEnabled(run.drawn(frame + 1));
        if (frame + 1 > run.lastFrame) {
            host::RequestClose();
        }
    });
    const int status = RunDemo(ShowScenes());
    host::SetPresentHook(nullptr);
    return status;
}
