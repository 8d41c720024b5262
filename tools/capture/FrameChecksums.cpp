#include "tools/capture/FrameChecksums.h"

#include "tools/capture/Md5Hex.h"

#include <cinttypes>
#include <cstdio>
#include <memory>

FrameChecksums::FrameChecksums(std::unique_ptr<FrameSink> innerSink, std::string checksumFile,
                               FrameRate rate, std::uint64_t first)
    : inner(std::move(innerSink)), file(std::move(checksumFile)), fps(rate), firstFrame(first) {}

bool FrameChecksums::Write(const Frame& frame) {
    const std::size_t size = static_cast<std::size_t>(frame.width) * frame.height * 3;
    md5_ctx md5;
    md5_init(&md5);
    md5_update(&md5, size, frame.rgb);
    char line[96];
    const auto pts = static_cast<std::int64_t>(frame.index - firstFrame);
    std::snprintf(line, sizeof line, "0, %10" PRId64 ", %10" PRId64 ", %8d, %8zu, %s", pts, pts, 1,
                  size, Md5Hex(md5).c_str());
    {
        const std::lock_guard<std::mutex> hold(lock);
        lines[frame.index] = line;
        width = frame.width;
        height = frame.height;
    }
    if (!inner->Write(frame)) {
        const std::lock_guard<std::mutex> hold(lock);
        error = inner->Error();
        return false;
    }
    return true;
}

bool FrameChecksums::Finish() {
    if (!inner->Finish()) {
        error = inner->Error();
        return false;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(file.c_str(), "w"),
                                                              &std::fclose);
    if (!out) {
        error = "cannot write " + file;
        return false;
    }
    std::fprintf(out.get(),
                 "#format: frame checksums\n#version: 2\n#hash: MD5\n#software: vellomire-capture\n"
                 "#tb 0: %" PRIu32 "/%" PRIu32 "\n#media_type 0: video\n#codec_id 0: rawvideo\n"
                 "#dimensions 0: %dx%d\n#sar 0: 1/1\n"
                 "#stream#, dts,        pts, duration,     size, hash\n",
                 fps.den, fps.num, width, height);
    for (const auto& [index, line] : lines) {
        std::fprintf(out.get(), "%s\n", line.c_str());
    }
    if (std::fflush(out.get()) != 0 || std::ferror(out.get()) != 0) {
        error = "cannot write " + file;
        return false;
    }
    return true;
}
