#pragma once
// PNG output: single pictures and numbered frame sequences. Pictures are written with the
// "up" filter and fast DEFLATE (libdeflate), for speed over the last percent of size.

#include "tools/capture/FrameSink.h"

#include <cstdint>
#include <mutex>
#include <string>

// False, with `error` set to one line ("PATH: No space left on device"), when the file could
// not be written completely; a partial file is removed.
bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb,
              std::string& error);

// The file name of frame n in a sequence: DIR/frame-000300.png.
std::string SequenceFileName(const std::string& dir, std::uint64_t frame);

// Writes may come from several threads at once.
class PngSequenceSink : public FrameSink {
  public:
    // Creates the folder when missing; Ready() tells whether it can be written.
    explicit PngSequenceSink(std::string dir);
    bool Ready() const { return error.empty(); }
    bool Write(const Frame& frame) override;
    bool Finish() override { return error.empty(); }

  private:
    std::string dir;
    std::mutex errorMutex;
};
