#include "tools/capture/PngFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb) {
    return stbi_write_png(path.c_str(), width, height, 3, rgb, width * 3) != 0;
}

std::string SequenceFileName(const std::string& dir, std::uint64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06llu.png", static_cast<unsigned long long>(frame));
    return (std::filesystem::path(dir) / name).string();
}

PngSequenceSink::PngSequenceSink(std::string folder) : dir(std::move(folder)) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || access(dir.c_str(), W_OK) != 0) {
        error = "cannot write to the folder " + dir;
    }
}

bool PngSequenceSink::Write(const Frame& frame) {
    const std::string path = SequenceFileName(dir, frame.index);
    if (!WritePng(path, frame.width, frame.height, frame.rgb)) {
        error = "could not write " + path;
        return false;
    }
    return true;
}
