#include "tools/capture/Progress.h"

#include <cstdio>
#include <unistd.h>

Progress::Progress(std::uint64_t totalFrames)
    : total(totalFrames), terminal(isatty(STDERR_FILENO) != 0) {}

Progress::~Progress() {
    if (terminal && done > 0) {
        std::fputc('\n', stderr);
    }
}

void Progress::FrameDone() {
    ++done;
    if (!terminal) {
        return;
    }
    const auto now = Clock::now();
    if (done != total && now - lastShown < std::chrono::milliseconds(250)) {
        return;
    }
    lastShown = now;
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
    const double left = rate > 0 ? static_cast<double>(total - done) / rate : 0.0;
    const int minutes = static_cast<int>(left) / 60;
    const int seconds = static_cast<int>(left) % 60;
    std::fprintf(stderr, "\r  frame %llu/%llu  %5.1f fps  %d:%02d left ",
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total),
                 rate, minutes, seconds);
    std::fflush(stderr);
}
