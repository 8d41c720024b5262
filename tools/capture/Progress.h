#pragma once
// A one-line progress report on a terminal (frames done, frames per second, time left);
// silent when standard error is not a terminal.

#include <chrono>
#include <cstdint>

class Progress {
  public:
    explicit Progress(std::uint64_t totalFrames);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void FrameDone();

  private:
    using Clock = std::chrono::steady_clock;
    std::uint64_t total;
    std::uint64_t done = 0;
    bool terminal;
    Clock::time_point start = Clock::now();
    Clock::time_point lastShown{};
};
