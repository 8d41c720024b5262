#pragma once
// For --benchmark: per timeline window, frames per second (wall clock) and processor time per
// frame of the whole process, all threads (the OpenGL driver rasterises on threads of its
// own), which stays comparable on a busy machine.

#include <chrono>
#include <cstdint>

class WindowRates {
  public:
    // Called after each frame with its music time; the time since the previous call is
    // that frame's.
    void FrameDone(float seconds);
    void Report(int width, int height) const;

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr int windowCount = 8;
    std::uint64_t frames[windowCount] = {};
    double wall[windowCount] = {};
    double processor[windowCount] = {};
    bool started = false;
    Clock::time_point lastWall;
    double lastProcessor = 0;
};

// Processor seconds used so far by the whole process, all threads, user and system.
double ProcessSeconds();
