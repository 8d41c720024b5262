#include "platform/win32/Host.h"
#include "platform/win32/Windows.h"

#include <ctime>

namespace {
DWORD (*clockOverride)() = nullptr;
}

DWORD timeGetTime() {
    if (clockOverride != nullptr) {
        return clockOverride();
    }
    if (host::IsCapture()) {
        return host::VirtualMilliseconds();
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto milliseconds = static_cast<unsigned long long>(now.tv_sec) * 1000ull +
                              static_cast<unsigned long long>(now.tv_nsec) / 1000000ull;
    return static_cast<DWORD>(milliseconds); // wraps every 2^32 ms, as on Windows
}

void SetTimeSourceForTesting(DWORD (*source)()) {
    clockOverride = source;
}
