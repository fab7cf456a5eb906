#pragma once

#include "CMetronome.h"
#include "FrameClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

// Drives the engine for a while as the window does: a pulse, then sleep until the engine has
// something to do.
inline void DriveEngine(FrameClock& clock, CMetronome& metron, double milliseconds) {
    const double end = clock.PreciseTicks() + milliseconds;
    while (clock.PreciseTicks() < end) {
        metron.Pulse();
        const double wait = std::min(metron.NextDueTick(), end) - clock.PreciseTicks();
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<int64_t>(std::max(0.0, std::ceil(wait)) * 1000)));
    }
}
