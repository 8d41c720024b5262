// vellomire-capture: the show, or one scene, on a virtual clock, to PNG files or a video.

#include "demo/DataFolder.h"
#include "demo/Timeline.h"
#include "platform/win32/OpenedFile.h"
#include "platform/win32/Windows.h"
#include "tools/capture/Capture.h"
#include "tools/capture/CaptureOptions.h"
#include "tools/capture/CapturePlan.h"
#include "tools/capture/ContactSheet.h"
#include "tools/capture/DataChecksum.h"
#include "tools/capture/Ffmpeg.h"
#include "tools/capture/FrameChecksums.h"
#include "tools/capture/PngFiles.h"
#include "tools/capture/StopSignal.h"
#include "tools/capture/VideoSink.h"
#include "tools/capture/WavFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

constexpr int usageError = 2;

int Fail(const std::string& message, int status = 1) {
    std::fprintf(stderr, "vellomire-capture: %s\n", message.c_str());
    return status;
}

std::string Absolute(const std::string& path) {
    return path.empty() ? path : std::filesystem::absolute(path).string();
}

bool FolderWritable(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

// What the user asked for, checked before anything is loaded.
struct Request {
    CaptureOptions options;
    CapturePlan plan;
    std::string commandLine; // the options as given, for the video's tags
};

std::string Where(const CaptureOptions& options) {
    return !options.outDir.empty()  ? options.outDir
           : !options.video.empty() ? options.video
                                    : options.contactSheet;
}

// The sink for the request; null with `error` set when it cannot be made, or for a
// benchmark or a WAV file alone.
std::unique_ptr<FrameSink> MakeSink(const Request& request, const std::string& music,
                                    const std::string& dataFolder, std::string& error) {
    const CaptureOptions& options = request.options;
    if (!options.outDir.empty()) {
        auto files = std::make_unique<PngSequenceSink>(options.outDir);
        if (!files->Ready()) {
            error = files->Error();
            return nullptr;
        }
        return files;
    }
    if (!options.video.empty()) {
        VideoSink::Settings settings;
        settings.file = options.video;
        settings.music = music;
        settings.fps = options.fps;
        settings.startSeconds = options.fps.SecondsOf(request.plan.schedule.First());
        settings.width = options.width;
        settings.height = options.height;
        settings.encoding = options.encoding;
        settings.metadata = {{"software", "vellomire-capture " VELLOMIRE_VERSION},
                             {"capture_options", request.commandLine},
                             {"data_md5", DataFolderMd5(dataFolder)}};
        auto video = std::make_unique<VideoSink>(std::move(settings));
        if (!video->Start()) {
            error = video->Error();
            return nullptr;
        }
        return video;
    }
    if (!options.contactSheet.empty()) {
        auto sheet = std::make_unique<ContactSheetSink>(options.contactSheet);
        for (const auto& [frame, label] : request.plan.labels) {
            sheet->Expect(frame, label);
        }
        return sheet;
    }
    return nullptr;
}

int WriteWav(const Request& request, const std::string& music, std::uint64_t frames) {
    const FrameSchedule& schedule = request.plan.schedule;
    const FrameRate fps = request.options.fps;
    std::string error;
    if (!WriteSoundtrackWav(music, request.options.wav, fps.SecondsOf(schedule.First()),
                            fps.SecondsOf(schedule.First() + frames), error)) {
        return Fail(error);
    }
    std::printf("Wrote %s\n", request.options.wav.c_str());
    return 0;
}

int Run(const Request& request) {
    const CaptureOptions& options = request.options;
    if (!options.video.empty() && !FfmpegAvailable()) {
        return Fail("--video needs ffmpeg, which is not installed (scripts/install-deps installs "
                    "it)");
    }
    for (const std::string* file :
         {&options.video, &options.contactSheet, &options.wav, &options.framemd5}) {
        if (!file->empty() && !FolderWritable(*file)) {
            return Fail("cannot write " + *file);
        }
    }
    const DataFolderSearch data = EnterDataFolder();
    if (!data.Found()) {
        return Fail(data.Describe() + "; build it with 'make build' or write one with "
                                      "vellomire-content --out Data");
    }
    if (data.lookedIn.size() > 1) {
        std::fprintf(stderr, "vellomire-capture: %s\n", data.Describe().c_str());
    }
    // The sound is decoded from the very file the show's stream opens, whatever its spelling.
    const std::string music = Absolute(PathOpenedFor("Data\\Demo.mp3"));
    if ((!options.video.empty() || !options.wav.empty()) && music.empty()) {
        return Fail("there is no soundtrack Data/Demo.mp3 in " +
                    std::filesystem::current_path().string());
    }

    std::string error;
    std::unique_ptr<FrameSink> sink = MakeSink(request, music, data.folder, error);
    if (!error.empty()) {
        return Fail(error);
    }
    if (!options.framemd5.empty()) {
        sink = std::make_unique<FrameChecksums>(std::move(sink), options.framemd5, options.fps,
                                                request.plan.schedule.First());
    }
    const FrameSchedule& schedule = request.plan.schedule;
    if (sink == nullptr && !options.benchmark) {
        return WriteWav(request, music, schedule.Count());
    }

    CaptureJob job;
    job.fps = options.fps;
    job.outputWidth = options.width;
    job.outputHeight = options.height;
    job.supersample = options.supersample;
    job.schedule = schedule;
    job.sink = sink.get();
    if (!options.outDir.empty()) {
        job.writerThreads =
            options.jobs > 0 ? options.jobs
                             : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    if (sink != nullptr) {
        std::printf("Capturing %llu frames from %.3f s to %.3f s into %s\n",
                    static_cast<unsigned long long>(schedule.Count()),
                    options.fps.SecondsOf(schedule.First()), options.fps.SecondsOf(schedule.Last()),
                    Where(options).c_str());
        std::fflush(stdout);
    }

    const CaptureOutcome outcome = CaptureShow(job);
    sink.reset();
    if (outcome.stopSignal != 0) {
        const std::uint64_t last = schedule.First() + outcome.framesWritten;
        std::fprintf(stderr,
                     "vellomire-capture: stopped by %s after %llu of %llu frames (up to %.3f s); "
                     "%s holds them\n",
                     StopSignalName(outcome.stopSignal),
                     static_cast<unsigned long long>(outcome.framesWritten),
                     static_cast<unsigned long long>(schedule.Count()), options.fps.SecondsOf(last),
                     options.benchmark ? "nothing" : Where(options).c_str());
        if (!outcome.error.empty()) {
            Fail(outcome.error);
        }
        return 128 + outcome.stopSignal;
    }
    if (!outcome.error.empty()) {
        return Fail(outcome.error);
    }
    if (outcome.status != 0) {
        return outcome.status;
    }
    if (outcome.framesWritten == 0) {
        return Fail("no frames were captured: the show ended before the first frame asked for "
                    "(is every scene built?)");
    }
    if (!options.benchmark) {
        std::printf("Wrote %s (%llu frames)\n", Where(options).c_str(),
                    static_cast<unsigned long long>(outcome.framesWritten));
    }
    return options.wav.empty() ? 0 : WriteWav(request, music, outcome.framesWritten);
}

} // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<CaptureOptions> parsed = ParseCaptureOptions(argc, argv, error);
    if (!parsed) {
        std::fprintf(stderr, "vellomire-capture: %s\nTry 'vellomire-capture --help'.\n",
                     error.c_str());
        return usageError;
    }
    Request request{*parsed, {}, {}};
    for (int i = 1; i < argc; ++i) {
        request.commandLine += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    CaptureOptions& options = request.options;
    if (options.help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("vellomire-capture " VELLOMIRE_VERSION);
        return 0;
    }
    if (options.listWindows) {
        for (const TimelineWindow& window : TimelineWindows()) {
            std::printf("%s %g %g\n", SceneName(window.scene), static_cast<double>(window.start),
                        static_cast<double>(window.end));
        }
        return 0;
    }
    std::optional<CapturePlan> plan = PlanCapture(options, error);
    if (!plan) {
        return Fail(error, usageError);
    }
    request.plan = std::move(*plan);
    // Output paths are the user's, relative to where the tool was started.
    for (std::string* path : {&options.outDir, &options.video, &options.contactSheet, &options.wav,
                              &options.framemd5}) {
        *path = Absolute(*path);
    }

    CatchStopSignals();
    ShowDebugOutput(options.verbose);
    return Run(request);
}
