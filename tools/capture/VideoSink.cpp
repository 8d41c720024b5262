#include "tools/capture/VideoSink.h"

#include "tools/capture/Ffmpeg.h"
#include "tools/capture/WavFile.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

VideoSink::VideoSink(Settings videoSettings) : settings(std::move(videoSettings)) {}

VideoSink::~VideoSink() {
    if (encoder > 0) {
        Finish();
    }
    if (!sound.empty()) {
        std::remove(sound.c_str());
    }
}

std::vector<std::string> VideoSink::Arguments(const Settings& s, const std::string& sound) {
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    const std::string rate = std::to_string(s.fps.num) + "/" + std::to_string(s.fps.den);
    std::vector<std::string> args = {"-y",
                                     // Picture: exactly one input frame per output frame.
                                     "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size,
                                     "-framerate", rate, "-i", "pipe:0",
                                     // Sound: already cut at the first frame's time.
                                     "-i", sound, "-map", "0:v:0", "-map", "1:a:0", "-fps_mode",
                                     "cfr"};
    if (s.encoding.lossless) {
        // Intra-only FFV1 with checksummed slices, the archivists' choice; RGB kept as is.
        args.insert(args.end(), {"-c:v",
                                 "ffv1",
                                 "-level",
                                 "3",
                                 "-g",
                                 "1",
                                 "-slices",
                                 "4",
                                 "-slicecrc",
                                 "1",
                                 "-pix_fmt",
                                 "bgr0",
                                 "-colorspace",
                                 "rgb",
                                 "-color_primaries",
                                 "bt709",
                                 "-color_trc",
                                 "iec61966-2-1",
                                 "-color_range",
                                 "pc",
                                 "-c:a",
                                 "flac"});
    } else {
        args.insert(args.end(), {"-vf",
                                 "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
                                 "-c:v",
                                 "libx264",
                                 "-preset",
                                 s.encoding.preset,
                                 "-crf",
                                 std::to_string(s.encoding.crf),
                                 "-colorspace",
                                 "bt709",
                                 "-color_primaries",
                                 "bt709",
                                 "-color_trc",
                                 "bt709",
                                 "-color_range",
                                 "tv",
                                 "-c:a",
                                 "aac",
                                 "-b:a",
                                 "192k"});
    }
    args.push_back("-shortest");
    for (const auto& [key, value] : s.metadata) {
        args.insert(args.end(), {"-metadata", key + "=" + value});
    }
    if (s.file.ends_with(".mp4")) {
        // Tags of our own are kept in MP4 only when asked for.
        args.insert(args.end(), {"-movflags", "+faststart+use_metadata_tags"});
    }
    args.insert(args.end(), s.encoding.extraArguments.begin(), s.encoding.extraArguments.end());
    args.push_back(s.file);
    return args;
}

bool VideoSink::Start() {
    std::error_code noTemporaryFolder;
    std::filesystem::path folder = std::filesystem::temp_directory_path(noTemporaryFolder);
    if (noTemporaryFolder) {
        folder = "/tmp";
    }
    std::string name = (folder / "vellomire-capture-XXXXXX.wav").string();
    const int made = mkstemps(name.data(), 4);
    if (made < 0) {
        error = "could not make a temporary file for the sound";
        return false;
    }
    close(made);
    sound = name;
    if (!WriteSoundtrackWav(settings.music, sound, settings.startSeconds,
                            std::numeric_limits<double>::infinity(), error)) {
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = "could not start ffmpeg (no pipe)";
        return false;
    }
    encoder = StartFfmpeg(Arguments(settings, sound), fds[0]);
    close(fds[0]);
    if (encoder < 0) {
        close(fds[1]);
        error = "could not start ffmpeg";
        return false;
    }
    pipe = fds[1];
    // A dying encoder must show up as a failed write, not kill the capture.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoSink::Write(const Frame& frame) {
    if (pipe < 0) {
        error = "ffmpeg is not running";
        return false;
    }
    const auto* data = frame.rgb;
    std::size_t left = static_cast<std::size_t>(frame.width) * frame.height * 3;
    while (left > 0) {
        const ssize_t done = ::write(pipe, data, left);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            error = "ffmpeg stopped accepting frames, so " + settings.file +
                    " is incomplete (see ffmpeg's message above)";
            return false;
        }
        data += done;
        left -= static_cast<std::size_t>(done);
    }
    written = true;
    return true;
}

bool VideoSink::Finish() {
    if (encoder < 0) {
        return false;
    }
    close(pipe);
    pipe = -1;
    const bool succeeded = FfmpegSucceeded(encoder);
    encoder = -1;
    if (!error.empty()) {
        return false; // a write failed; that says why
    }
    if (!written) {
        error = "no frames were captured, so no video was written";
        return false;
    }
    if (!succeeded) {
        error = "ffmpeg failed to write " + settings.file + " (see its message above)";
        return false;
    }
    return true;
}
