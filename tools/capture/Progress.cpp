#include "tools/capture/Progress.h"

#include "demo/Timeline.h"
#include "tools/capture/CapturePlan.h"

#include <cstdio>
#include <unistd.h>

namespace {

// Milliseconds per frame of each timeline window in a whole-show capture at 640 x 480 to a
// video on two idle cores (drawing and encoding overlapped), which scale alike at other sizes.
constexpr double windowCost[] = {5.0, 10.0, 7.5, 9.0, 9.0, 13.0, 13.0, 13.5};

} // namespace

double Progress::FrameWeight(float seconds) {
    const int window = TimelineWindowAt(seconds);
    return window < 0 ? 1.0 : windowCost[window];
}

double Progress::SecondsLeft(double elapsed, double doneWork, double totalWork) {
    return doneWork > 0 ? elapsed * (totalWork - doneWork) / doneWork : 0.0;
}

Progress::Progress(const FrameSchedule& schedule, FrameRate rate)
    : fps(rate), total(schedule.Count()), terminal(isatty(STDERR_FILENO) != 0) {
    for (std::uint64_t frame = schedule.First(); frame <= schedule.Last(); ++frame) {
        if (schedule.Contains(frame)) {
            totalWeight += FrameWeight(MusicSecondsOf(fps, frame));
        }
    }
}

void Progress::FrameDone(std::uint64_t frame) {
    const auto now = Clock::now();
    // The clock starts when the first frame is done: what came before (loading, frames run
    // without drawing) says nothing about the pace.
    const double weight = FrameWeight(MusicSecondsOf(fps, frame));
    if (done == 0) {
        start = now;
        totalWeight -= weight;
    } else {
        doneWeight += weight;
    }
    ++done;
    const auto interval = terminal ? std::chrono::milliseconds(250) : std::chrono::seconds(5);
    if (done == 1 || done == total || now - lastShown >= interval) {
        Show(now);
    }
}

void Progress::Show(Clock::time_point now) {
    lastShown = now;
    shown = true;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double rate = elapsed > 0 ? static_cast<double>(done - 1) / elapsed : 0.0;
    const auto left = static_cast<long>(SecondsLeft(elapsed, doneWeight, totalWeight) + 0.5);
    char leftText[32] = "?:??";
    if (doneWeight > 0 || done == total) {
        std::snprintf(leftText, sizeof leftText, "%ld:%02ld", left / 60, left % 60);
    }
    std::fprintf(stderr, "%s  frame %llu/%llu  %3d%%  %5.1f fps  %s left%s", terminal ? "\r" : "",
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
                 static_cast<int>(100 * done / (total > 0 ? total : 1)), rate, leftText,
                 terminal ? " " : "\n");
    std::fflush(stderr);
}

void Progress::Done() {
    if (terminal && shown) {
        std::fputc('\n', stderr);
        shown = false;
    }
}
