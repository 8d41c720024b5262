#pragma once
// Where captured frames go: numbered PNG files, a video, a contact sheet, or nowhere.

#include <cstdint>
#include <string>

// One output frame: 8-bit RGB rows, top first, no padding.
struct Frame {
    std::uint64_t index; // frame number on the virtual clock
    double seconds;      // its start time
    int width;
    int height;
    const std::uint8_t* rgb;
};

class FrameSink {
  public:
    virtual ~FrameSink() = default;
    // False (with Error set) when the frame could not be written; the capture then stops.
    virtual bool Write(const Frame& frame) = 0;
    // Completes the output; false (with Error set) when that failed.
    virtual bool Finish() = 0;
    const std::string& Error() const { return error; }

  protected:
    std::string error;
};
