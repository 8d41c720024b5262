#include "CaptureRun.h"

#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/wait.h>
#include <unistd.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

int RunCapture(const std::string& arguments, std::string* log) {
    const std::string command = std::string(VELLOMIRE_CAPTURE) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::array<char, 4096> buffer;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        if (log != nullptr) {
            log->append(buffer.data(), got);
        }
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

RgbPicture ReadPng(const std::filesystem::path& file) {
    RgbPicture picture;
    int channels = 0;
    stbi_uc* pixels = stbi_load(file.c_str(), &picture.width, &picture.height, &channels, 3);
    if (pixels == nullptr) {
        return {};
    }
    picture.rgb.assign(pixels,
                       pixels + static_cast<std::size_t>(picture.width) * picture.height * 3);
    stbi_image_free(pixels);
    return picture;
}

double Psnr(const RgbPicture& a, const RgbPicture& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) {
        return 0.0;
    }
    double squares = 0.0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = static_cast<double>(a.rgb[i]) - static_cast<double>(b.rgb[i]);
        squares += d * d;
    }
    if (squares == 0.0) {
        return std::numeric_limits<double>::infinity();
    }
    const double meanSquare = squares / static_cast<double>(a.rgb.size());
    return 10.0 * std::log10(255.0 * 255.0 / meanSquare);
}

ScratchFolder::ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "vellomire-capture-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) {
        path = pattern;
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

BackgroundCapture::BackgroundCapture(const std::string& arguments) {
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    const std::string command =
        std::string("exec ") + VELLOMIRE_CAPTURE + " " + arguments + " 2>&1";
    child = fork();
    if (child == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    output = fds[0];
}

BackgroundCapture::~BackgroundCapture() {
    if (child > 0) {
        kill(child, SIGKILL);
        Wait();
    }
}

bool BackgroundCapture::ReadSome() {
    char buffer[4096];
    const ssize_t got = output >= 0 ? read(output, buffer, sizeof buffer) : 0;
    if (got <= 0) {
        return false;
    }
    log.append(buffer, static_cast<std::size_t>(got));
    return true;
}

bool BackgroundCapture::WaitFor(const std::string& text) {
    while (log.find(text) == std::string::npos) {
        if (!ReadSome()) {
            return false;
        }
    }
    return true;
}

void BackgroundCapture::Signal(int signal) {
    if (child > 0) {
        kill(child, signal);
    }
}

int BackgroundCapture::Wait() {
    while (ReadSome()) {
    }
    if (output >= 0) {
        close(output);
        output = -1;
    }
    if (child <= 0) {
        return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    child = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
