#include "tools/capture/Capture.h"

#include "demo/VirtualClock.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/Host.h"
#include "tools/capture/CapturePlan.h"
#include "tools/capture/FrameWriter.h"
#include "tools/capture/Progress.h"
#include "tools/capture/StopSignal.h"
#include "tools/capture/WindowRates.h"

#include <memory>

namespace {

// Runs at every present: hands a scheduled frame to the writer, or ends the show on a stop
// signal or a failed write.
class FrameGrabber {
  public:
    explicit FrameGrabber(const CaptureJob& captureJob)
        : job(captureJob), progress(job.schedule, job.fps) {
        if (job.sink != nullptr) {
            writer = std::make_unique<FrameWriter>(*job.sink, job.writerThreads, job.outputWidth,
                                                   job.outputHeight);
        }
    }

    // Plays the show over the job's schedule.
    int Run() {
        VirtualClockRun run;
        const host::PictureSize picture = host::PictureFor(job.outputWidth, job.outputHeight);
        run.settings.width = picture.width;
        run.settings.height = picture.height;
        run.settings.supersample = job.supersample;
        run.settings.fpsNumerator = job.fps.num;
        run.settings.fpsDenominator = job.fps.den;
        run.drawn = [this](std::uint64_t frame) { return job.schedule.Contains(frame); };
        run.lastFrame = job.schedule.Last();
        run.presented = [this](std::uint64_t frame) { return Presented(frame); };
        return RunOnVirtualClock(run);
    }

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
    bool Presented(std::uint64_t frame) {
        if (stopSignal == 0 && StopSignal() != 0) {
            stopSignal = StopSignal();
        }
        if (stopSignal != 0 || Failed()) {
            return false;
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
        return true;
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
    const int status = grabber.Run();
    return grabber.Finish(status);
}
