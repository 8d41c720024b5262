#include "tools/capture/Capture.h"

#include "demo/Demo.h"
#include "demo/Timeline.h"
#include "platform/FullscreenApplication.h"
#include "platform/Timer.h"
#include "platform/d3d8/ReadBack.h"
#include "platform/win32/Host.h"
#include "tools/capture/Progress.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

// The music time the driver computes for a frame: the stream position of 16-bit stereo at
// 44,100 Hz on the virtual clock, read as signed 32-bit and divided in single precision.
constexpr std::uint64_t showByteRate = 176400;

float MusicSecondsOfCurrentFrame() {
    const auto position = static_cast<std::int32_t>(host::VirtualBytes(showByteRate));
    return static_cast<float>(position) / static_cast<float>(showByteRate);
}

// Asks the window to close, as a user would: the driver then ends after this frame.
void RequestStop() {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
}

// Frames per second of each timeline window, for --benchmark.
class WindowRates {
  public:
    void FrameDone(float seconds) {
        const auto now = Clock::now();
        const int window = TimelineWindowAt(seconds);
        if (window >= 0 && started) {
            frames[window] += 1;
            busy[window] += std::chrono::duration<double>(now - last).count();
        }
        started = true;
        last = now;
    }

    void Report(int width, int height) const {
        std::printf("Frames per second per timeline window at %d x %d:\n", width, height);
        const auto windows = TimelineWindows();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (frames[i] == 0) {
                continue;
            }
            std::printf("  %-10s %7.2f - %6.2f s  %6llu frames  %8.1f fps\n",
                        SceneName(windows[i].scene), static_cast<double>(windows[i].start),
                        static_cast<double>(windows[i].end),
                        static_cast<unsigned long long>(frames[i]),
                        static_cast<double>(frames[i]) / busy[i]);
        }
    }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t windowCount = 8;
    std::uint64_t frames[windowCount] = {};
    double busy[windowCount] = {};
    bool started = false;
    Clock::time_point last;
};

// Runs at every present: hands a scheduled frame to the sink, then moves the virtual clock
// on by one frame and decides whether the next frame draws pixels at all.
class FrameGrabber {
  public:
    explicit FrameGrabber(const CaptureJob& captureJob)
        : job(captureJob), progress(job.schedule.Count()) {
        host::CaptureSettings settings;
        settings.width = PictureFor(job.outputWidth, job.outputHeight).width;
        settings.height = PictureFor(job.outputWidth, job.outputHeight).height;
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

    bool Failed() const { return failed; }
    std::uint64_t FramesGrabbed() const { return grabbed; }
    void ReportRates() const { rates.Report(job.outputWidth, job.outputHeight); }

    // Advances the clock without rendering (frames before a scene's first Render).
    void Skip() { Advance(host::VirtualFrame()); }

  private:
    void Presented() {
        const std::uint64_t frame = host::VirtualFrame();
        if (!failed && job.schedule.Contains(frame)) {
            if (job.sink == nullptr) {
                rates.FrameDone(MusicSecondsOfCurrentFrame());
                ++grabbed;
            } else if (Grab(frame)) {
                ++grabbed;
            } else {
                failed = true;
                RequestStop();
            }
            progress.FrameDone();
        }
        Advance(frame);
    }

    void Advance(std::uint64_t frame) {
        host::SetVirtualFrame(frame + 1);
        host::SetDrawingEnabled(job.schedule.Contains(frame + 1));
        if (frame + 1 > job.schedule.Last()) {
            RequestStop();
        }
    }

    bool Grab(std::uint64_t frame) {
        if (!ReadBack(LiveGLDevice(), ReadBackSource::Presented, picture)) {
            failed = true;
            std::fprintf(stderr, "vellomire-capture: could not read the frame back\n");
            return false;
        }
        const Frame out = Compose(frame);
        return job.sink->Write(out);
    }

    // Centres the picture in the output frame; the bars stay black.
    Frame Compose(std::uint64_t frame) {
        Frame out{frame, job.fps.SecondsOf(frame), picture.width, picture.height,
                  picture.rgb.data()};
        if (picture.width == job.outputWidth && picture.height == job.outputHeight) {
            return out;
        }
        output.assign(static_cast<std::size_t>(job.outputWidth) * job.outputHeight * 3, 0);
        const int left = (job.outputWidth - picture.width) / 2;
        const int top = (job.outputHeight - picture.height) / 2;
        for (int row = 0; row < picture.height; ++row) {
            std::copy_n(picture.rgb.begin() + row * picture.width * 3, picture.width * 3,
                        output.begin() + ((top + row) * job.outputWidth + left) * 3);
        }
        out.width = job.outputWidth;
        out.height = job.outputHeight;
        out.rgb = output.data();
        return out;
    }

    const CaptureJob& job;
    Progress progress;
    WindowRates rates;
    ReadBackImage picture;
    std::vector<std::uint8_t> output;
    bool failed = false;
    std::uint64_t grabbed = 0;
};

int Finish(const CaptureJob& job, const FrameGrabber& grabber, int status) {
    if (!grabber.Failed() && grabber.FramesGrabbed() == 0) {
        std::fprintf(stderr, "vellomire-capture: no frames were captured: the show ended before "
                             "the first frame asked for (is every scene built?)\n");
        return 1;
    }
    if (job.sink == nullptr) {
        grabber.ReportRates();
        return status;
    }
    const bool finished = job.sink->Finish();
    if (grabber.Failed() || !finished) {
        std::fprintf(stderr, "vellomire-capture: %s\n", job.sink->Error().c_str());
        return 1;
    }
    return status;
}

} // namespace

int CaptureShow(const CaptureJob& job) {
    FrameGrabber grabber(job);
    const int status = RunDemo(ShowScenes());
    return Finish(job, grabber, status);
}

int CaptureScene(const CaptureJob& job, SceneId id, std::uint64_t renderFrom) {
    FrameGrabber grabber(job);
    const auto scenes = ShowScenes();
    const auto entry = std::find_if(scenes.begin(), scenes.end(),
                                    [id](const SceneEntry& e) { return e.id == id; });
    if (entry == scenes.end()) {
        std::fprintf(stderr, "vellomire-capture: the scene %s is not part of this build\n",
                     SceneName(id));
        return 1;
    }

    auto application = std::make_unique<FullscreenApplication>(0);
    if (const EngineResult code = application->Create(640, 480); code < 0) {
        std::fprintf(stderr, "Tried to create a rendering device.: %s", DescribeEngineError(code));
        return 1;
    }
    std::unique_ptr<Scene> scene(entry->create());
    if (const SceneResult result = scene->Init(application.get()); result.Failed()) {
        scene.reset();
        application.reset();
        MessageBoxA(nullptr, result.text ? result.text : "", result.caption ? result.caption : "",
                    MB_ICONERROR);
        return 1;
    }

    Timer frameTimer;
    int status = 0;
    while (host::VirtualFrame() <= job.schedule.Last() && !grabber.Failed()) {
        if (host::VirtualFrame() < renderFrom) {
            grabber.Skip();
            continue;
        }
        if (const SceneResult result = scene->Render(&frameTimer, MusicSecondsOfCurrentFrame());
            result.Failed()) {
            std::fprintf(stderr, "%s: %s\n", result.caption ? result.caption : "",
                         result.text ? result.text : "");
            status = 1;
            break;
        }
        if (const EngineResult code = application->Update(); code < 0) {
            std::fprintf(stderr, "Error while updating the rendering device.: %s",
                         DescribeEngineError(code));
            status = 1;
            break;
        }
        if (!application->IsActive()) {
            break;
        }
    }
    scene.reset();
    application.reset();
    return Finish(job, grabber, status);
}
