#pragma once
// Accounting of what is being heard. The output device takes one buffer per callback and
// plays it at its frame rate; DeviceSchedule gives each buffer its start on a steady clock
// (right after the previous one, or now after an underrun or a pause). A HeardClock per
// stream records the stream's frames in each buffer and answers how many of them have been
// played at a given time, interpolated within a buffer so the count rises smoothly.
// Times are nanoseconds of a steady clock; rates are frames per second.

#include <array>
#include <cstdint>

class DeviceSchedule {
  public:
    // Start time of a buffer of `frames` frames taken by the device at `now`.
    std::uint64_t Take(std::uint64_t now, std::uint64_t frames, std::uint32_t rate);
    void Reset() { end = 0; }

  private:
    std::uint64_t end = 0; // when the last scheduled buffer finishes playing
};

class HeardClock {
  public:
    void Reset();
    // `frames` of this stream at the front of a buffer taken at `now` that starts playing at
    // `start`.
    void Deliver(std::uint64_t now, std::uint64_t start, std::uint64_t frames, std::uint32_t rate);
    // Frames delivered since Reset that have been played by `now`.
    std::uint64_t Heard(std::uint64_t now, std::uint32_t rate) const;
    std::uint64_t Delivered() const { return delivered; }

  private:
    struct Chunk {
        std::uint64_t start;
        std::uint64_t frames;
    };
    static constexpr int capacity = 32; // more than the schedule lets be ahead

    std::array<Chunk, capacity> chunks{};
    int first = 0;
    int count = 0;
    std::uint64_t done = 0; // frames of chunks already played to their end
    std::uint64_t delivered = 0;
};
