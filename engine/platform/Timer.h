#pragma once
// Millisecond stopwatch on timeGetTime.

#include "platform/win32/Windows.h"

class Timer {
  public:
    Timer();

    // Starts again from now; returns the new start time.
    DWORD Restart();
    // Since the start, in unsigned 32-bit arithmetic, so the wrap of the clock is harmless.
    DWORD ElapsedMilliseconds() const;
    // The same span taken as signed and times 0.001f: exact for spans below 2^31 ms.
    float ElapsedSeconds() const;

  private:
    DWORD start;
};
