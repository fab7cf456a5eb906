#pragma once

#include <cstdint>

// The millisecond clock that every timed behaviour reads. Ticks are signed 32-bit milliseconds;
// compare them by their difference so that a wrap is harmless.
class TickSource {
public:
    virtual ~TickSource() = default;
    virtual int32_t GetTickCount() = 0;
    // The same clock with sub-millisecond resolution, for timers that must fire on a due tick
    // that lies between two whole milliseconds.
    virtual double PreciseTicks() { return GetTickCount(); }
};
