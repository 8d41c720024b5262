#pragma once
// Progress of a capture on stderr: frames done, frames per second and time left. On a
// terminal one line, renewed four times a second; otherwise (piped, logged) a line at the
// first frame and then every five seconds.
//
// The time left weighs the frames still to come by what frames of their timeline window
// usually cost, so the estimate holds from the first seconds on although the later scenes
// draw several times slower than the first.

#include "tools/capture/CaptureOptions.h"
#include "tools/capture/FrameSchedule.h"

#include <chrono>
#include <cstdint>

class Progress {
  public:
    Progress(const FrameSchedule& schedule, FrameRate fps);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void FrameDone(std::uint64_t frame);
    // Ends the line on a terminal.
    void Done();

    // Seconds left after `elapsed` seconds, when the frames done so far weigh `done` of
    // `total`.
    static double SecondsLeft(double elapsed, double done, double total);
    // The usual cost of a frame at this music time, relative to the others.
    static double FrameWeight(float seconds);

  private:
    using Clock = std::chrono::steady_clock;
    void Show(Clock::time_point now);

    FrameRate fps;
    std::uint64_t total;
    std::uint64_t done = 0;
    double totalWeight = 0;
    double doneWeight = 0;
    bool terminal;
    bool shown = false;
    Clock::time_point start{};
    Clock::time_point lastShown{};
};
