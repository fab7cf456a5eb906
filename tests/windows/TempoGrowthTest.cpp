// The tempo growth curve: the ramp it fills and the dots it draws.
#include "TempoGrowth.h"

#include "fakes/RecordingSurface.h"

#include <gtest/gtest.h>
#include <variant>
#include <vector>

namespace {

using Slots = std::array<int32_t, 9>;

// Slot 0 at 60 and slot 4 at 100, the ramp's target; the slots around them hold marks that must
// survive.
TempoMemoryState RampToSlot4() {
    return {.TempoMemory = {60, 1, 2, 3, 100, 5, 6, 7, 8}, .CurSlot = 4, .LastSlot = 8};
}

TEST(TempoGrowthRamp, FillsTheSlotsBetweenTheFirstAndTheCurrentAlongTheCurve) {
    struct Case {
        TempoMemoryState memory;
        int32_t slider;
        Slots expected;
        int32_t lastSlot;
    };
    const TempoMemoryState falling{.TempoMemory = {200, 0, 0, 0, 0, 0, 0, 0, 40}, .LastSlot = 2};
    TempoMemoryState toSlot1 = RampToSlot4();
    toSlot1.CurSlot = 1;
    const Case cases[] = {
        // 62.5 and 82.5 go to the even neighbour.
        {RampToSlot4(), 20, {60, 62, 70, 82, 100, 5, 6, 7, 8}, 4},
        {RampToSlot4(), 10, {60, 70, 80, 90, 100, 5, 6, 7, 8}, 4},
        {RampToSlot4(), 0, {60, 100, 100, 100, 100, 5, 6, 7, 8}, 4},
        // An early curve rises fast: (1/4)^0.5 of the way at slot 1.
        {RampToSlot4(), 5, {60, 80, 88, 95, 100, 5, 6, 7, 8}, 4},
        {falling, 10, {200, 180, 160, 140, 120, 100, 80, 60, 40}, 8},
        {toSlot1, 20, RampToSlot4().TempoMemory, 1},
    };
    for (Case c : cases) {
        TempoGrowth::FillRamp(c.memory, c.slider);
        EXPECT_EQ(c.memory.TempoMemory, c.expected) << c.slider;
        EXPECT_EQ(c.memory.LastSlot, c.lastSlot) << c.slider;
    }
}

TEST(TempoGrowthRamp, ASlotOutsideTheMemoryChangesNothing) {
    for (const int32_t slot : {-1, 9, 1000}) {
        TempoMemoryState outside = RampToSlot4();
        outside.CurSlot = slot;
        const TempoMemoryState before = outside;
        TempoGrowth::FillRamp(outside, 20);
        EXPECT_EQ(outside, before) << slot;
    }
}

TEST(TempoGrowthCurve, ElevenDotsFromTheCornerToTheTopEdgeBentByTheSlider) {
    struct Case {
        int32_t slider;
        std::size_t dot;
        double x, y;
    };
    const Case cases[] = {
        {10, 0, 100, 100},
        {10, 5, 140, 60},
        {10, 10, 180, 20},
        // x = 0.5 at k = 2: a quarter of the height; at k = 0 every dot is on the top edge.
        {20, 5, 140, 80},
        {0, 0, 100, 20},
    };
    for (const Case& c : cases) {
        RecordingSurface surface;
        TempoGrowth::DrawCurve(surface, c.slider);
        const std::vector<RecordingSurface::Call> picture = surface.Picture();
        ASSERT_EQ(picture.size(), 11u) << "the picture starts afresh with eleven dots";
        const auto& dot = std::get<RecordingSurface::CircleCall>(picture[c.dot]);
        EXPECT_NEAR(dot.centreX, c.x, 1e-9) << c.slider << " dot " << c.dot;
        EXPECT_NEAR(dot.centreY, c.y, 1e-9) << c.slider << " dot " << c.dot;
    }
}

} // namespace
