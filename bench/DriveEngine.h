#pragma once

#include "CMetronome.h"
#include "FrameClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

// Drives the engine for a while as the window does: a pulse, then sleep until the engine has
// something to do. With `stallEvery` set, the driving thread also stands still for `stall`
// milliseconds that often, as a window busy with something else would.
inline void DriveEngine(FrameClock& clock, CMetronome& metron, double milliseconds,
                        double stallEvery = 0.0, double stall = 0.0) {
    const int64_t end = clock.Frames() + std::llround(milliseconds * TickSource::FramesPerMs);
    const auto stallFrames = std::llround(stallEvery * TickSource::FramesPerMs);
    int64_t nextStall = stallFrames > 0 ? clock.Frames() + stallFrames : end;
    while (clock.Frames() < end) {
        if (clock.Frames() >= nextStall) {
            std::this_thread::sleep_for(std::chrono::microseconds(std::llround(stall * 1000)));
            nextStall += stallFrames;
        }
        metron.Pulse();
        const int64_t wake = std::min({metron.NextWakeFrame(), end, nextStall});
        const double wait = static_cast<double>(wake - clock.Frames()) / TickSource::FramesPerMs;
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<int64_t>(std::max(0.0, std::ceil(wait)) * 1000)));
    }
}
