#pragma once

#include <cstdint>

// The millisecond clock that every timed behaviour reads, and the short sleep of the main loop.
// Ticks are signed 32-bit milliseconds; compare them by their difference so that a wrap is
// harmless.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual int32_t GetTickCount() = 0;
    virtual void Sleep(int32_t milliseconds) = 0;
};
