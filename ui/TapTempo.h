#pragma once

#include "TickSource.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

// Tapping the tempo: from the second tap of a series on, the tempo becomes the one whose beat is
// the mean of the last few intervals between taps. A long pause starts a new series, so that a
// tap after a break does not average with the taps before it. The caller writes the tempo through
// the engine's BPM, which keeps it in range, as for a tempo key.
class TapTempo {
public:
    explicit TapTempo(TickSource& ticks);

    // A tap now; the tempo it asks for, or nothing for the first tap of a series.
    std::optional<int32_t> Tap();

    // The intervals the mean is taken over, and the longest one that still continues a series.
    static constexpr std::size_t Intervals = 4;
    static constexpr int32_t LongestInterval = 2000;

private:
    TickSource& ticks;
    std::array<int32_t, Intervals> intervals{};
    std::size_t count = 0; // intervals of the series so far, at most Intervals
    std::size_t next = 0;  // where the next interval goes
    int64_t lastTap = 0;
    bool inSeries = false;
};
