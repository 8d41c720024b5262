#pragma once
// Per-frame checksums of a capture in ffmpeg's framemd5 format (one MD5 of each frame's
// 8-bit RGB bytes, the frames numbered from the first captured one), so an archive can be
// checked later with `ffmpeg -i FILE -pix_fmt rgb24 -f framemd5 -`. Wraps the sink that
// takes the frames; they may come in any order, the file lists them in order.

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSink.h"

#include <map>
#include <memory>
#include <mutex>

class FrameChecksums : public FrameSink {
  public:
    FrameChecksums(std::unique_ptr<FrameSink> inner, std::string file, FrameRate fps,
                   std::uint64_t firstFrame);

    bool Write(const Frame& frame) override;
    // Finishes the inner sink, then writes the file.
    bool Finish() override;

  private:
    std::unique_ptr<FrameSink> inner;
    std::string file;
    FrameRate fps;
    std::uint64_t firstFrame;
    std::mutex lock;
    std::map<std::uint64_t, std::string> lines; // by frame index
    int width = 0;
    int height = 0;
};
