#pragma once

#include "TickSource.h"

#include <chrono>

// Milliseconds since construction, read from the monotonic clock; starting near 0 it does not wrap
// within 24 days of running.
class SteadyTickSource final : public TickSource {
public:
    SteadyTickSource();

    int32_t GetTickCount() override;
    void Sleep(int32_t milliseconds) override;

    // The moment of tick 0; the sound output maps due ticks onto its stream from it.
    std::chrono::steady_clock::time_point Origin() const { return origin; }
    // Milliseconds since Origin() with sub-millisecond resolution.
    double PreciseTicks() const;

private:
    std::chrono::steady_clock::time_point origin;
};
