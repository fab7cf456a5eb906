// The tempo growth curve: the ramp it fills in the tempo memory.
#include "TempoGrowth.h"

#include <array>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using Slots = std::array<int32_t, 9>;
constexpr Slots Marks{60, 1, 2, 3, 100, 5, 6, 7, 8};

TEST(TempoGrowthRamp, FillsTheSlotsBetweenTheFirstAndTheCurrentAlongTheCurve) {
    // The memory, the current slot and the slider; the memory and the last slot after.
    // Slot 0 at 60 and slot 4 at 100, the ramp's target; the other slots hold marks that must
    // survive wherever the ramp does not reach.
    const std::tuple<Slots, int32_t, int32_t, Slots, int32_t> cases[] = {
        {Marks, 4, 20, {60, 62, 70, 82, 100, 5, 6, 7, 8}, 4}, // 62.5 and 82.5 to the even tempo
        {Marks, 4, 0, {60, 100, 100, 100, 100, 5, 6, 7, 8}, 4},
        {Marks, 4, 5, {60, 80, 88, 95, 100, 5, 6, 7, 8}, 4}, // (1/4)^0.5 of the way at slot 1
        {{200, 0, 0, 0, 0, 0, 0, 0, 40}, 8, 10, {200, 180, 160, 140, 120, 100, 80, 60, 40}, 8},
        {Marks, 1, 20, Marks, 1},
        {Marks, -1, 20, Marks, 2}, // a slot outside the memory changes nothing
        {Marks, 9, 20, Marks, 2},
    };
    for (const auto& [slots, curSlot, slider, expected, lastSlot] : cases) {
        TempoMemoryState memory{.TempoMemory = slots, .CurSlot = curSlot, .LastSlot = 2};
        TempoGrowth::FillRamp(memory, slider);
        EXPECT_EQ(memory.TempoMemory, expected) << curSlot << " at " << slider;
        EXPECT_EQ(memory.LastSlot, lastSlot) << curSlot << " at " << slider;
        EXPECT_EQ(memory.CurSlot, curSlot);
    }
}

} // namespace
