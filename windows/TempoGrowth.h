#pragma once

#include "Surface.h"
#include "TempoMemoryState.h"

#include <cstdint>

// The tempo growth curve: slots 1 … n−1 of the tempo memory rise from slot 0 to slot n along
// (i / n)^k, where the slider position v gives the exponent k = v × 0.1. v = 10 is the straight
// ramp, larger values rise late, smaller ones early.
class TempoGrowth {
public:
    static double Exponent(int32_t v);

    // Clears the surface and draws the curve's shape as eleven dots of radius 3 in an 80 × 80 box
    // whose lower left corner is (100, 100).
    static void DrawCurve(Surface& surface, int32_t v);

    // Fills slots 1 … CurSlot−1 along the curve, rounding halves to the even tempo, and makes
    // CurSlot the last slot of the cycle. Slot 0, the target slot and the slots above it keep their
    // tempos. A current slot outside the memory changes nothing.
    static void FillRamp(TempoMemoryState& memory, int32_t v);

    static constexpr double DotRadius = 3;
    static constexpr Colour DotColour{0, 0, 0};
};
