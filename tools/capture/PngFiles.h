#pragma once
// PNG output: single pictures and numbered frame sequences.

#include "tools/capture/FrameSink.h"

#include <cstdint>
#include <string>

bool WritePng(const std::string& path, int width, int height, const std::uint8_t* rgb);

// The file name of frame n in a sequence: DIR/frame-000300.png.
std::string SequenceFileName(const std::string& dir, std::uint64_t frame);

class PngSequenceSink : public FrameSink {
  public:
    // Creates the folder when missing; Ready() tells whether it can be written.
    explicit PngSequenceSink(std::string dir);
    bool Ready() const { return error.empty(); }
    bool Write(const Frame& frame) override;
    bool Finish() override { return true; }

  private:
    std::string dir;
};
