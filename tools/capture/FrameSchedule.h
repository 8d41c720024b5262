#pragma once
// Which frames of the virtual clock are captured: a range, or a set of single frames.

#include <cstdint>
#include <vector>

class FrameSchedule {
  public:
    static FrameSchedule Range(std::uint64_t first, std::uint64_t last);
    static FrameSchedule Frames(std::vector<std::uint64_t> frames); // at least one

    bool Contains(std::uint64_t frame) const;
    std::uint64_t First() const { return first; }
    std::uint64_t Last() const { return last; }
    std::uint64_t Count() const;

  private:
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::vector<std::uint64_t> frames; // sorted and unique; empty for a range
};
