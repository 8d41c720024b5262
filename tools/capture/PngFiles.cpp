#include "tools/capture/PngFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <libdeflate.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

// Level 1 is several times faster than zlib's default and within a few percent of its size
// on the show's pictures.
constexpr int compressionLevel = 1;

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

libdeflate_compressor* ThreadCompressor() {
    thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(compressionLevel));
    return compressor.get();
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// Appends a chunk: length, type, data, CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
              std::size_t size) {
    PutBigEndian(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data, data + size);
    PutBigEndian(out, libdeflate_crc32(0, out.data() + typeAt, size + 4));
}

// The whole PNG file in memory; empty when compression failed.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::uint8_t* rgb) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    thread_local std::vector<std::uint8_t> filtered;
    thread_local std::vector<std::uint8_t> packed;
    filtered.resize((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = &filtered[(rowBytes + 1) * static_cast<std::size_t>(y)];
        const std::uint8_t* row = rgb + rowBytes * static_cast<std::size_t>(y);
        // "Up": each byte minus the one above it (the first row stays as it is).
        out[0] = y == 0 ? 0 : 2;
        if (y == 0) {
            std::memcpy(out + 1, row, rowBytes);
            continue;
        }
        const std::uint8_t* above = row - rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            out[i + 1] = static_cast<std::uint8_t>(row[i] - above[i]);
        }
    }
    libdeflate_compressor* compressor = ThreadCompressor();
    if (compressor == nullptr) {
        return {};
    }
    packed.resize(libdeflate_zlib_compress_bound(compressor, filtered.size()));
    const std::size_t size = libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(),
                                                      packed.data(), packed.size());
    if (size == 0) {
        return {};
    }
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.reserve(size + 64);
    std::vector<std::uint8_t> header;
    PutBigEndian(header, static_cast<std::uint32_t>(width));
    PutBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, deflate, no interlace
    PutChunk(file, "IHDR", header.data(), header.size());
    PutChunk(file, "IDAT", packed.data(), size);
    PutChunk(file, "IEND", nullptr, 0);
    return file;
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb,
              std::string& error) {
    const std::vector<std::uint8_t> bytes = EncodePng(width, height, rgb);
    if (bytes.empty()) {
        error = path + ": the picture could not be compressed";
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (written && closed) {
        return true;
    }
    error = path + ": " + std::strerror(written ? errno : writeError);
    // Only a broken picture goes; never a device or whatever a link points to.
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        std::remove(path.c_str());
    }
    return false;
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
    std::string failure;
    if (WritePng(SequenceFileName(dir, frame.index), frame.width, frame.height, frame.rgb,
                 failure)) {
        return true;
    }
    const std::lock_guard lock(errorMutex);
    if (error.empty()) {
        error = "could not write " + failure;
    }
    return false;
}
