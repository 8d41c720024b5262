#pragma once
// A contact sheet: one frame of each timeline window, at a moment that stands for it, shrunk
// to half size, labelled with the scene's name and time, four to a row, in one PNG.

#include "tools/capture/FrameSink.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The music time the sheet shows for window `window` of TimelineWindows().
double ContactSheetMoment(std::size_t window);

class ContactSheetSink : public FrameSink {
  public:
    explicit ContactSheetSink(std::string file);

    // Labels the frame that will arrive with this index.
    void Expect(std::uint64_t frame, std::string label);

    bool Write(const Frame& frame) override;
    bool Finish() override;

  private:
    struct Cell {
        std::string label;
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> rgb; // half size
    };

    std::string file;
    std::map<std::uint64_t, Cell> cells; // in frame order
};
