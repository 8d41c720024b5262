#include "tools/capture/WindowRates.h"

#include "demo/Timeline.h"

#include <cstdio>
#include <sys/resource.h>

double ProcessSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void WindowRates::FrameDone(float seconds) {
    const auto now = Clock::now();
    const double used = ProcessSeconds();
    const int window = TimelineWindowAt(seconds);
    if (window >= 0 && window < windowCount && started) {
        frames[window] += 1;
        wall[window] += std::chrono::duration<double>(now - lastWall).count();
        processor[window] += used - lastProcessor;
    }
    started = true;
    lastWall = now;
    lastProcessor = used;
}

void WindowRates::Report(int width, int height) const {
    std::printf("At %d x %d, per timeline window: frames per second (wall clock) and processor\n"
                "milliseconds per frame (the whole process, all threads, user + system):\n",
                width, height);
    std::printf("  %-10s %16s %8s %10s %10s\n", "scene", "window", "frames", "fps", "cpu ms");
    const auto windows = TimelineWindows();
    std::uint64_t allFrames = 0;
    double allWall = 0;
    double allProcessor = 0;
    for (int i = 0; i < windowCount; ++i) {
        if (frames[i] == 0) {
            continue;
        }
        const auto n = static_cast<double>(frames[i]);
        std::printf("  %-10s %7.2f - %6.2f s %8llu %10.1f %10.2f\n", SceneName(windows[i].scene),
                    static_cast<double>(windows[i].start), static_cast<double>(windows[i].end),
                    static_cast<unsigned long long>(frames[i]), n / wall[i],
                    1000.0 * processor[i] / n);
        allFrames += frames[i];
        allWall += wall[i];
        allProcessor += processor[i];
    }
    const auto n = static_cast<double>(allFrames);
    std::printf("  %-10s %16s %8llu %10.1f %10.2f\n", "all", "",
                static_cast<unsigned long long>(allFrames), n / allWall, 1000.0 * allProcessor / n);
}
