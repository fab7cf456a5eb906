// The tempo growth curve: the dots it draws and the ramp it fills.
#include "TempoGrowth.h"

#include "fakes/RecordingSurface.h"

#include <cmath>
#include <gtest/gtest.h>
#include <variant>
#include <vector>

namespace {

using Circle = RecordingSurface::CircleCall;

std::vector<Circle> Dots(const RecordingSurface& surface) {
    std::vector<Circle> dots;
    for (const RecordingSurface::Call& call : surface.Picture()) {
        if (const auto* circle = std::get_if<Circle>(&call)) {
            dots.push_back(*circle);
        }
    }
    return dots;
}

// Slot 0 at 60 and slot 4 at 100, the ramp's target; the slots around them hold marks that must
// survive.
TempoMemoryState RampToSlot4() {
    TempoMemoryState memory;
    memory.TempoMemory = {60, 1, 2, 3, 100, 5, 6, 7, 8};
    memory.CurSlot = 4;
    memory.LastSlot = 8;
    return memory;
}

TEST(TempoGrowthRamp, ASquareCurveRoundsHalvesToTheEvenTempo) {
    TempoMemoryState memory = RampToSlot4();
    TempoGrowth::FillRamp(memory, 20);
    // 62.5 and 82.5 go to the even neighbour.
    EXPECT_EQ(memory.TempoMemory, (std::array<int32_t, 9>{60, 62, 70, 82, 100, 5, 6, 7, 8}));
    EXPECT_EQ(memory.LastSlot, 4);
    EXPECT_EQ(memory.CurSlot, 4);
}

TEST(TempoGrowthRamp, PositionTenIsTheStraightRampAndZeroJumpsAtOnce) {
    TempoMemoryState straight = RampToSlot4();
    TempoGrowth::FillRamp(straight, 10);
    EXPECT_EQ(straight.TempoMemory, (std::array<int32_t, 9>{60, 70, 80, 90, 100, 5, 6, 7, 8}));

    TempoMemoryState jump = RampToSlot4();
    TempoGrowth::FillRamp(jump, 0);
    EXPECT_EQ(jump.TempoMemory, (std::array<int32_t, 9>{60, 100, 100, 100, 100, 5, 6, 7, 8}));

    // An early curve rises fast: (1/4)^0.5 of the way at slot 1.
    TempoMemoryState early = RampToSlot4();
    TempoGrowth::FillRamp(early, 5);
    EXPECT_EQ(early.TempoMemory[1], 80);
}

TEST(TempoGrowthRamp, AFallingRampAndTheWholeMemory) {
    TempoMemoryState memory;
    memory.TempoMemory = {200, 0, 0, 0, 0, 0, 0, 0, 40};
    memory.CurSlot = 8;
    memory.LastSlot = 2;
    TempoGrowth::FillRamp(memory, 10);
    EXPECT_EQ(memory.TempoMemory,
              (std::array<int32_t, 9>{200, 180, 160, 140, 120, 100, 80, 60, 40}));
    EXPECT_EQ(memory.LastSlot, 8);
}

TEST(TempoGrowthRamp, SlotsZeroAndOneHaveNothingBetweenAndOutsideSlotsChangeNothing) {
    TempoMemoryState one = RampToSlot4();
    one.CurSlot = 1;
    TempoGrowth::FillRamp(one, 20);
    EXPECT_EQ(one.TempoMemory, RampToSlot4().TempoMemory);
    EXPECT_EQ(one.LastSlot, 1);

    for (const int32_t slot : {-1, 9, 1000}) {
        TempoMemoryState outside = RampToSlot4();
        outside.CurSlot = slot;
        TempoGrowth::FillRamp(outside, 20);
        TempoMemoryState expected = RampToSlot4();
        expected.CurSlot = slot;
        EXPECT_EQ(outside, expected) << slot;
    }
}

TEST(TempoGrowthCurve, ElevenDotsOnTheDiagonalForTheStraightRamp) {
    RecordingSurface surface;
    TempoGrowth::DrawCurve(surface, 10);
    ASSERT_FALSE(surface.calls.empty());
    EXPECT_TRUE(std::holds_alternative<RecordingSurface::Clearing>(surface.calls.front()));
    const std::vector<Circle> dots = Dots(surface);
    ASSERT_EQ(dots.size(), 11u);
    for (std::size_t n = 0; n < dots.size(); ++n) {
        const double x = (dots[n].centreX - 100) / 80;
        EXPECT_NEAR(x, 0.1 * static_cast<double>(n), 1e-9);
        EXPECT_NEAR(dots[n].centreY, 100 - 80 * x, 1e-9);
        EXPECT_EQ(dots[n].radius, 3);
        EXPECT_EQ(dots[n].colour, (Colour{0, 0, 0}));
        EXPECT_EQ(dots[n].fill, Fill::Outline);
    }
    EXPECT_EQ(dots.front().centreX, 100);
    EXPECT_EQ(dots.front().centreY, 100);
    EXPECT_NEAR(dots.back().centreX, 180, 1e-9);
    EXPECT_NEAR(dots.back().centreY, 20, 1e-9);
}

TEST(TempoGrowthCurve, TheSliderBendsTheCurve) {
    RecordingSurface late;
    TempoGrowth::DrawCurve(late, 20);
    const std::vector<Circle> lateDots = Dots(late);
    ASSERT_EQ(lateDots.size(), 11u);
    // x = 0.5 at k = 2: a quarter of the height.
    EXPECT_NEAR(lateDots[5].centreY, 80, 1e-9);

    // k = 0: every dot on the top edge, the first too (0^0 = 1).
    RecordingSurface flat;
    TempoGrowth::DrawCurve(flat, 0);
    const std::vector<Circle> flatDots = Dots(flat);
    ASSERT_EQ(flatDots.size(), 11u);
    for (const Circle& dot : flatDots) {
        EXPECT_EQ(dot.centreY, 20);
    }
}

} // namespace
