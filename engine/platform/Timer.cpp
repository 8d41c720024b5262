#include "platform/Timer.h"

#include <cstdint>

Timer::Timer() : start(timeGetTime()) {}

DWORD Timer::Restart() {
    start = timeGetTime();
    return start;
}

DWORD Timer::ElapsedMilliseconds() const {
    return timeGetTime() - start;
}

float Timer::ElapsedSeconds() const {
    const auto milliseconds = static_cast<std::int32_t>(ElapsedMilliseconds());
    return static_cast<float>(milliseconds) * 0.001f;
}
