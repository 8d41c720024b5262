// vellomire-capture: the show, or one scene, on a virtual clock, to PNG files or a video.

#include "demo/DataFolder.h"
#include "demo/Timeline.h"
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/ContactSheet.h"
#include "tools/capture/PngFiles.h"
#include "tools/capture/VideoSink.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

namespace {

constexpr double showEnd = 203.0; // the last moment of the timeline

int Fail(const std::string& message) {
    std::fprintf(stderr, "vellomire-capture: %s\n", message.c_str());
    return 1;
}

std::string Absolute(const std::string& path) {
    return path.empty() ? path : std::filesystem::absolute(path).string();
}

bool FolderWritable(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

std::optional<SceneId> SceneNamed(const std::string& name) {
    for (int i = 0; i < sceneIdCount; ++i) {
        const auto id = static_cast<SceneId>(i);
        if (name == SceneName(id)) {
            return id;
        }
    }
    return std::nullopt;
}

// The first timeline window of a scene, or the window of the scene that contains `seconds`.
std::optional<TimelineWindow> WindowOf(SceneId id, std::optional<double> seconds) {
    for (const TimelineWindow& window : TimelineWindows()) {
        if (window.scene != id) {
            continue;
        }
        if (!seconds || (window.start <= *seconds && *seconds <= window.end)) {
            return window;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<CaptureOptions> parsed = ParseCaptureOptions(argc, argv, error);
    if (!parsed) {
        std::fprintf(stderr, "vellomire-capture: %s\n%s", error.c_str(),
                     "Try 'vellomire-capture --help'.\n");
        return 2;
    }
    CaptureOptions options = *parsed;
    if (options.help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    // Output paths are the user's, relative to where the tool was started.
    options.outDir = Absolute(options.outDir);
    options.video = Absolute(options.video);
    options.contactSheet = Absolute(options.contactSheet);

    std::optional<SceneId> scene;
    if (!options.scene.empty()) {
        scene = SceneNamed(options.scene);
        if (!scene) {
            return Fail("no scene is called '" + options.scene + "' (see --help)");
        }
    }

    CaptureJob job;
    job.fps = options.fps;
    job.outputWidth = options.width;
    job.outputHeight = options.height;
    job.supersample = options.supersample;

    // Which frames: single frames, the middle of each window, or a range.
    std::uint64_t renderFrom = 0;
    std::unique_ptr<ContactSheetSink> sheet;
    if (!options.contactSheet.empty()) {
        sheet = std::make_unique<ContactSheetSink>(options.contactSheet);
        std::vector<std::uint64_t> frames;
        for (const TimelineWindow& window : TimelineWindows()) {
            const double middle = (window.start + window.end) / 2.0;
            const std::uint64_t frame = options.fps.FirstFrameAtOrAfter(middle);
            char label[64];
            std::snprintf(label, sizeof label, "%s  %.2f s", SceneName(window.scene), middle);
            sheet->Expect(frame, label);
            frames.push_back(frame);
        }
        job.schedule = FrameSchedule::Frames(frames);
    } else if (!options.at.empty()) {
        std::vector<std::uint64_t> frames;
        for (const double seconds : options.at) {
            frames.push_back(options.fps.FirstFrameAtOrAfter(seconds));
        }
        job.schedule = FrameSchedule::Frames(frames);
    } else {
        double from = options.from.value_or(0.0);
        double to = options.to.value_or(showEnd);
        if (scene) {
            const auto window = WindowOf(*scene, options.from);
            if (window && !options.from) {
                from = window->start;
            }
            if (window && !options.to) {
                to = window->end;
            }
        }
        job.schedule = FrameSchedule::Range(options.fps.FirstFrameAtOrAfter(from),
                                            options.fps.LastFrameAtOrBefore(to));
    }
    if (scene) {
        // A scene's clock starts at its first Render: begin where its window begins.
        const auto window = WindowOf(*scene, options.fps.SecondsOf(job.schedule.First()));
        renderFrom = window ? options.fps.FirstFrameAtOrAfter(window->start) : job.schedule.First();
    }

    std::unique_ptr<FrameSink> sink;
    if (!options.outDir.empty()) {
        auto files = std::make_unique<PngSequenceSink>(options.outDir);
        if (!files->Ready()) {
            return Fail(files->Error());
        }
        sink = std::move(files);
    } else if (!options.video.empty()) {
        if (!FfmpegAvailable()) {
            return Fail("--video needs ffmpeg, which is not installed (scripts/install-deps "
                        "installs it)");
        }
        if (!FolderWritable(options.video)) {
            return Fail("cannot write " + options.video);
        }
        if (options.width % 2 != 0 || options.height % 2 != 0) {
            return Fail("--video needs an even width and height");
        }
        sink = std::make_unique<VideoSink>(options.video, "Data/Demo.mp3", options.fps,
                                           options.fps.SecondsOf(job.schedule.First()));
    } else if (sheet) {
        if (!FolderWritable(options.contactSheet)) {
            return Fail("cannot write " + options.contactSheet);
        }
        sink = std::move(sheet);
    }
    job.sink = sink.get();

    // Capture renders off screen whatever display there is; nothing is played.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);

    if (!EnterDataFolder()) {
        return Fail("no Data folder here or next to the program; build it with 'make build' "
                    "or write one with vellomire-content --out Data");
    }

    const int status = scene ? CaptureScene(job, *scene, renderFrom) : CaptureShow(job);
    if (status == 0 && job.sink != nullptr) {
        const std::string& where = !options.outDir.empty()  ? options.outDir
                                   : !options.video.empty() ? options.video
                                                            : options.contactSheet;
        std::printf("Wrote %s\n", where.c_str());
    }
    return status;
}
