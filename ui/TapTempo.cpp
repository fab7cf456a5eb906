#include "TapTempo.h"

#include "Rounding.h"

#include <numeric>

TapTempo::TapTempo(TickSource& ticks)
    : ticks(ticks) {}

std::optional<int32_t> TapTempo::Tap() {
    // The wall clock, as a key's repeat reads it.
    const int64_t now = ticks.SteadyMs();
    const int64_t interval = now - lastTap;
    lastTap = now;
    if (!inSeries || interval > LongestInterval || interval <= 0) {
        inSeries = true;
        count = 0;
        next = 0;
        return std::nullopt;
    }
    intervals[next] = static_cast<int32_t>(interval);
    next = (next + 1) % Intervals;
    count = count < Intervals ? count + 1 : Intervals;
    const auto last = intervals.begin() + static_cast<std::ptrdiff_t>(count);
    const double mean = std::accumulate(intervals.begin(), last, 0.0) / static_cast<double>(count);
    return RoundToInt32(60000.0 / mean);
}
