#pragma once

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>

// Doubles become integers by rounding to the nearest integer, halves to the even neighbour
// (2.5 gives 2, 3.5 gives 4), everywhere in the program.
inline double RoundHalfEven(double value) {
    // nearbyint honours the current rounding mode; the program never changes it from nearest.
    return std::nearbyint(value);
}

// The same, as a 32-bit integer; values beyond its range saturate rather than overflow.
inline int32_t RoundToInt32(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded > std::numeric_limits<int32_t>::min())) {
        return std::isnan(rounded) ? 0 : std::numeric_limits<int32_t>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(rounded);
}

// Milliseconds from `since` to `now` on the wrapping 32-bit tick counter.
inline int32_t TicksBetween(int32_t since, int32_t now) {
    return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(since));
}
