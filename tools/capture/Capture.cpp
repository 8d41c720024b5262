#include "tools/capture/Capture.h"

#include "demo/Demo.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/Host.h"
#include "tools/capture/CapturePlan.h"
#include "tools/capture/FrameWriter.h"
#include "tools/capture/Progress.h"
#include "tools/capture/StopSignal.h"
#include "tools/capture/WindowRates.h"

#include <SDL.h>
#include <memory>

namespace {

// Asks the window to close, as a user would: the driver then ends after this frame.
void RequestStop() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

// Runs at every present: hands a scheduled frame to the writer, then moves the virtual clock
// on by one frame and decides whether the next frame draws pixels at all.
class FrameGrabber {
  public:
    explicit FrameGrabber(const CaptureJob& captureJob)
        : job(captureJob), progress(job.schedule, job.fps) {
        if (job.sink != nullptr) {
            writer = std::make_unique<FrameWriter>(*job.sink, job.writerThreads, job.outputWidth,
                                                   job.outputHeight);
        }
        host::CaptureSettings settings;
        settings.width = host::PictureFor(job.outputWidth, job.outputHeight).width;
        settings.height = host::PictureFor(job.outputWidth, job.outputHeight).height;
        settings.supersample = job.supersample;
        settings.fpsNumerator = job.fps.num;
        settings.fpsDenominator = job.fps.den;
        host::EnterCapture(settings);
        host::SetVirtualFrame(0);
        host::SetDrawingEnabled(job.schedule.Contains(0));
        host::SetPresentHook([this] { Presented(); });
    }

    ~FrameGrabber() { host::SetPresentHook(nullptr); }
    FrameGrabber(const FrameGrabber&) = delete;
    FrameGrabber& operator=(const FrameGrabber&) = delete;

    // Writes what is still queued; the outcome of the whole capture.
    CaptureOutcome Finish(int status) {
        CaptureOutcome outcome;
        outcome.status = status;
        outcome.stopSignal = stopSignal;
        progress.Done();
        if (writer == nullptr) {
            outcome.framesWritten = measured;
            if (measured > 0 && stopSignal == 0) {
                rates.Report(job.outputWidth, job.outputHeight);
            }
            return outcome;
        }
        const bool drained = writer->Drain() && !readFailed;
        outcome.framesWritten = writer->Written();
        const bool finished = job.sink->Finish();
        if (!drained || !finished) {
            outcome.status = 1;
            outcome.error = readFailed ? "could not read the frame back" : job.sink->Error();
        }
        return outcome;
    }

  private:
    void Presented() {
        const std::uint64_t frame = host::VirtualFrame();
        if (stopSignal == 0 && StopSignal() != 0) {
            stopSignal = StopSignal();
        }
        if (stopSignal != 0 || Failed()) {
            RequestStop();
            return;
        }
        if (job.schedule.Contains(frame)) {
            if (writer == nullptr) {
                rates.FrameDone(MusicSecondsOf(job.fps, frame));
                ++measured;
            } else {
                Grab(frame);
            }
            progress.FrameDone(frame);
        }
        host::SetVirtualFrame(frame + 1);
        host::SetDrawingEnabled(job.schedule.Contains(frame + 1));
        if (frame + 1 > job.schedule.Last()) {
            RequestStop();
        }
    }

    void Grab(std::uint64_t frame) {
        ReadBackImage& picture = writer->NextPicture();
        if (!ReadBack(LiveGLDevice(), ReadBackSource::Presented, picture)) {
            readFailed = true;
            return;
        }
        writer->Submit(frame, job.fps.SecondsOf(frame));
    }

    bool Failed() const { return readFailed || (writer != nullptr && writer->Failed()); }

    const CaptureJob& job;
    Progress progress;
    WindowRates rates;
    std::unique_ptr<FrameWriter> writer;
    bool readFailed = false;
    int stopSignal = 0;
    std::uint64_t measured = 0;
};

} // namespace

CaptureOutcome CaptureShow(const CaptureJob& job) {
    FrameGrabber grabber(job);
    const int status = RunDemo(ShowScenes());
    return grabber.Finish(status);
}
