#include "tools/capture/VideoSink.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

bool FfmpegAvailable() {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::filesystem::path candidate =
            std::filesystem::path(std::string(rest.substr(0, colon))) / "ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return false;
}

VideoSink::VideoSink(std::string videoFile, std::string musicFile, FrameRate rate, double start)
    : file(std::move(videoFile)), music(std::move(musicFile)), fps(rate), startSeconds(start) {}

VideoSink::~VideoSink() {
    if (encoder > 0) {
        Finish();
    }
}

bool VideoSink::Start(int width, int height) {
    int fds[2];
    if (::pipe(fds) != 0) {
        error = "could not start ffmpeg (no pipe)";
        return false;
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string rate = std::to_string(fps.num) + "/" + std::to_string(fps.den);
    const std::string start = std::to_string(startSeconds);
    std::vector<std::string> args = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        // Picture: exactly one input frame per output frame.
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i",
        "pipe:0",
        // Sound: the soundtrack from the first frame's time (decoded gaplessly, seek exact).
        "-ss", start, "-i", music, "-map", "0:v:0", "-map", "1:a:0", "-vf",
        "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p", "-c:v", "libx264", "-preset",
        "medium", "-crf", "16", "-fps_mode", "cfr", "-colorspace", "bt709", "-color_primaries",
        "bt709", "-color_trc", "bt709", "-color_range", "tv", "-c:a", "aac", "-b:a", "192k",
        "-shortest"};
    if (file.ends_with(".mp4")) {
        args.insert(args.end(), {"-movflags", "+faststart"});
    }
    args.push_back(file);

    encoder = fork();
    if (encoder < 0) {
        close(fds[0]);
        close(fds[1]);
        error = "could not start ffmpeg";
        return false;
    }
    if (encoder == 0) {
        dup2(fds[0], STDIN_FILENO);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    close(fds[0]);
    pipe = fds[1];
    // A dying encoder must show up as a failed write, not kill the capture.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool VideoSink::Write(const Frame& frame) {
    if (encoder < 0 && !Start(frame.width, frame.height)) {
        return false;
    }
    const auto* data = frame.rgb;
    std::size_t left = static_cast<std::size_t>(frame.width) * frame.height * 3;
    while (left > 0) {
        const ssize_t written = ::write(pipe, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            error = "ffmpeg stopped accepting frames (see its message above)";
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool VideoSink::Finish() {
    if (encoder < 0) {
        error = "no frames were captured, so no video was written";
        return false;
    }
    close(pipe);
    pipe = -1;
    int status = 0;
    while (waitpid(encoder, &status, 0) < 0 && errno == EINTR) {
    }
    encoder = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed to write " + file;
        return false;
    }
    return true;
}
