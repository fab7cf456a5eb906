#include "CClock.h"

#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSurface.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>

namespace {

constexpr Colour Black{0, 0, 0};
constexpr Colour Red{255, 0, 0};
constexpr Colour Blue{0, 0, 255};

using LineCall = RecordingSurface::LineCall;

class ClockTest : public ::testing::Test {
protected:
    // A clock created at tick `start` on a store that holds `stored` (nothing when null).
    void Create(const char* stored, int32_t start = 1000) {
        if (stored != nullptr) {
            store.Set("Time", "TotalTime", stored);
        }
        ticks.Set(start);
        clock = std::make_unique<CClock>(ticks, store);
        clock->Container(face);
    }

    void Release() { clock.reset(); }

    std::string StoredTotal() const { return store.Stored("Time", "TotalTime").value_or("<none>"); }

    // The run hand (first line of the picture) and the total hand (second).
    LineCall RunHand() const { return face.Lines().at(0); }
    LineCall TotalHand() const { return face.Lines().at(1); }

    ManualTickSource ticks;
    MemorySettingsStore store;
    RecordingSurface face;
    std::unique_ptr<CClock> clock;
};

TEST_F(ClockTest, ReadsTheStoredTotalAtCreation) {
    Create("5400");
    EXPECT_EQ(clock->TotalTime(), 5400);
    EXPECT_EQ(clock->TimeFromBegin(), 0);
}

TEST_F(ClockTest, StartsAtZeroWithoutAStoredTotal) {
    Create(nullptr);
    EXPECT_EQ(clock->TotalTime(), 0);
}

TEST_F(ClockTest, AStoredTotalThatIsNoNumberOrNegativeReadsAsZero) {
    for (const char* damaged :
         {"", "abc", "12abc", "1 2", "nan", "inf", "99999999999", "0x10", "-5000", "-0.6"}) {
        Create(damaged);
        EXPECT_EQ(clock->TotalTime(), 0) << '"' << damaged << '"';
        clock.reset();
    }
    Create(" 42 ");
    EXPECT_EQ(clock->TotalTime(), 42);
}

TEST_F(ClockTest, TheContainerBecomesSixtyPixelsSquare) {
    Create("0");
    EXPECT_EQ(face.width, 60);
    EXPECT_EQ(face.height, 60);
}

TEST_F(ClockTest, TimeFromBeginRoundsHalvesToEven) {
    Create("0");
    const std::pair<int32_t, int32_t> cases[] = {{499, 0},  {500, 0},  {501, 1},   {1500, 2},
                                                 {2500, 2}, {3500, 4}, {59999, 60}};
    for (const auto& [elapsed, seconds] : cases) {
        ticks.Set(1000 + elapsed);
        EXPECT_EQ(clock->TimeFromBegin(), seconds) << elapsed << " ms";
    }
}

TEST_F(ClockTest, FaceIsClearedThenHandsThenTwelveMarks) {
    Create("0");
    clock->Paint();
    const auto picture = face.Picture();
    ASSERT_FALSE(picture.empty());
    ASSERT_EQ(face.calls.back(), picture.back());
    const auto lines = face.Lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0].penWidth, 2);
    EXPECT_EQ(lines[0].colour, Black);
    EXPECT_EQ(lines[1].penWidth, 1);
    EXPECT_EQ(lines[1].colour, Red);
    for (size_t i = 2; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].penWidth, 1) << "mark " << i - 2;
        EXPECT_EQ(lines[i].colour, Black) << "mark " << i - 2;
    }
}

TEST_F(ClockTest, AnHourOfTotalPointsTheRedHandAtOneOClock) {
    Create("3600");
    clock->Paint();
    EXPECT_EQ(RunHand(), (LineCall{30, 30, 30, 10, 2, Black}));
    EXPECT_EQ(TotalHand(), (LineCall{30, 30, 43, 8, 1, Red}));
}

TEST_F(ClockTest, HandsFollowTheRunAndTheTotal) {
    Create("0");
    ticks.Advance(30 * 60000);
    clock->Paint();
    // Half an hour of run: straight down; a quarter turn of the twelve-hour total hand is three
    // hours, so half an hour moves it by 15 degrees.
    EXPECT_EQ(RunHand(), (LineCall{30, 30, 30, 50, 2, Black}));
    EXPECT_EQ(TotalHand(), (LineCall{30, 30, 36, 6, 1, Red}));

    ticks.Advance(15 * 60000);
    clock->Paint();
    EXPECT_EQ(RunHand(), (LineCall{30, 30, 10, 30, 2, Black}));

    clock.reset();
    Create("10800");
    clock->Paint();
    EXPECT_EQ(TotalHand(), (LineCall{30, 30, 55, 30, 1, Red}));
}

TEST_F(ClockTest, MarksLieOnTheRingUnroundedWithPiAsFourDecimals) {
    Create("0");
    clock->Paint();
    const auto lines = face.Lines();
    ASSERT_EQ(lines.size(), 14u);
    const LineCall& first = lines[2];
    EXPECT_DOUBLE_EQ(first.x1, 30);
    EXPECT_DOUBLE_EQ(first.y1, 53);
    EXPECT_DOUBLE_EQ(first.x2, 30);
    EXPECT_DOUBLE_EQ(first.y2, 60);
    // The seventh mark stands at 3.1416, a little past pi: slightly left of the centre line.
    const LineCall& seventh = lines[8];
    EXPECT_NEAR(seventh.x1, 29.999831, 1e-6);
    EXPECT_NEAR(seventh.y1, 7.0, 1e-6);
    EXPECT_NEAR(seventh.x2, 29.999780, 1e-6);
    EXPECT_NEAR(seventh.y2, 0.0, 1e-6);
    // The last one at eleven steps of 0.5236, the thirteenth would have been over 6.2.
    const LineCall& last = lines[13];
    EXPECT_NEAR(last.x1, 30 + 23 * std::sin(5.7596), 1e-9);
    EXPECT_NEAR(last.y1, 30 + 23 * std::cos(5.7596), 1e-9);
    EXPECT_NEAR(last.x2, 15.0, 0.01);
    EXPECT_NEAR(last.y2, 55.98, 0.01);
}

TEST_F(ClockTest, PaintWithoutAContainerDrawsNothing) {
    store.Set("Time", "TotalTime", "7");
    CClock bare(ticks, store);
    bare.Paint();
    bare.Freeze(true);
    bare.ResetTime();
    EXPECT_TRUE(face.calls.empty());
}

TEST_F(ClockTest, FreezingStopsTheFaceAndResumingLeavesTheFrozenStretchOut) {
    Create("0");
    ticks.Advance(15 * 60000);
    clock->Freeze(true);
    EXPECT_TRUE(clock->Freeze());
    const auto atFreeze = face.Lines();
    ASSERT_EQ(atFreeze.size(), 15u);
    EXPECT_EQ(atFreeze.back(), (LineCall{0, 0, 60, 60, 3, Blue}));
    EXPECT_EQ(atFreeze[0], (LineCall{30, 30, 50, 30, 2, Black}));

    ticks.Advance(10000);
    clock->Paint();
    EXPECT_EQ(face.Lines(), atFreeze);

    clock->Freeze(false);
    EXPECT_FALSE(clock->Freeze());
    EXPECT_EQ(face.Lines().size(), 14u);
    ticks.Advance(5000);
    // 15 min 15 s since creation, 10 s of them frozen.
    EXPECT_EQ(clock->TimeFromBegin(), 15 * 60 + 5);
}

TEST_F(ClockTest, FreezingTwiceKeepsTheFirstFreezeMoment) {
    Create("0");
    ticks.Advance(20000);
    clock->Freeze(true);
    ticks.Advance(30000);
    clock->Freeze(true);
    ticks.Advance(30000);
    clock->Freeze(false);
    EXPECT_EQ(clock->TimeFromBegin(), 20);
    clock->Freeze(false);
    ticks.Advance(1000);
    EXPECT_EQ(clock->TimeFromBegin(), 21);
}

TEST_F(ClockTest, EveryChangeRedrawsTheFace) {
    Create("0");
    int clears = face.clearCount;
    clock->Freeze(true);
    EXPECT_EQ(face.clearCount, ++clears);
    clock->Freeze(false);
    EXPECT_EQ(face.clearCount, ++clears);
    clock->ResetTime();
    EXPECT_EQ(face.clearCount, ++clears);
    clock->TimePlus();
    EXPECT_EQ(face.clearCount, ++clears);
    clock->TimeMinus();
    EXPECT_EQ(face.clearCount, ++clears);
}

TEST_F(ClockTest, ReleaseStoresTheTotalWithTheRun) {
    Create("100");
    ticks.Advance(61400);
    Release();
    EXPECT_EQ(StoredTotal(), "161");
}

TEST_F(ClockTest, ReleaseWhileFrozenCountsTheRunUpToTheFreeze) {
    Create("100");
    ticks.Advance(40000);
    clock->Freeze(true);
    ticks.Advance(3600000);
    Release();
    EXPECT_EQ(StoredTotal(), "140");
}

TEST_F(ClockTest, ResetClearsRunAndTotalAndTheReleaseStoresOnlyTheNewRun) {
    Create("5000");
    ticks.Advance(90000);
    clock->ResetTime();
    EXPECT_EQ(clock->TotalTime(), 0);
    EXPECT_EQ(clock->TimeFromBegin(), 0);
    EXPECT_EQ(StoredTotal(), "5000");
    ticks.Advance(5000);
    Release();
    EXPECT_EQ(StoredTotal(), "5");
}

TEST_F(ClockTest, ResetWhileFrozenStartsTheNewRunFrozenAtZero) {
    Create("0");
    ticks.Advance(60000);
    clock->Freeze(true);
    ticks.Advance(20000);
    clock->ResetTime();
    EXPECT_TRUE(clock->Freeze());
    EXPECT_EQ(RunHand(), (LineCall{30, 30, 30, 10, 2, Black}));
    ticks.Advance(20000);
    clock->Freeze(false);
    ticks.Advance(7000);
    EXPECT_EQ(clock->TimeFromBegin(), 7);
    Release();
    EXPECT_EQ(StoredTotal(), "7");
}

TEST_F(ClockTest, MinuteStepsMoveTheRun) {
    Create("0");
    ticks.Advance(10000);
    clock->TimePlus();
    EXPECT_EQ(clock->TimeFromBegin(), 70);
    clock->TimeMinus();
    clock->TimeMinus();
    EXPECT_EQ(clock->TimeFromBegin(), -50);
    EXPECT_EQ(clock->TotalTime(), 0);
}

TEST_F(ClockTest, ACheckpointStoresTheRunSoFarAndChangesNothing) {
    Create("1000");
    ticks.Advance(10000);
    clock->StoreProgress();
    EXPECT_EQ(StoredTotal(), "1010");
    EXPECT_EQ(clock->TotalTime(), 1000);
    EXPECT_EQ(clock->TimeFromBegin(), 10);
    EXPECT_EQ(face.clearCount, 0);

    ticks.Advance(10000);
    clock->StoreProgress();
    EXPECT_EQ(StoredTotal(), "1020");
    ticks.Advance(5000);
    Release();
    // Checkpoints are not added twice.
    EXPECT_EQ(StoredTotal(), "1025");
}

TEST_F(ClockTest, ACheckpointWhileFrozenCountsUpToTheFreeze) {
    Create("0");
    ticks.Advance(12000);
    clock->Freeze(true);
    ticks.Advance(50000);
    clock->StoreProgress();
    EXPECT_EQ(StoredTotal(), "12");
    EXPECT_TRUE(clock->Freeze());
}

TEST_F(ClockTest, AProgramThatDiesKeepsItsLastCheckpoint) {
    Create("300");
    ticks.Advance(20000);
    clock->StoreProgress();
    ticks.Advance(7000);
    // Killed now: the next run finds the store as the checkpoint left it.
    MemorySettingsStore left = store;
    CClock next(ticks, left);
    EXPECT_EQ(next.TotalTime(), 320);
}

TEST_F(ClockTest, RunsThatCrossTheTickWrapCountOnwards) {
    Create("0", std::numeric_limits<int32_t>::max() - 4000);
    ticks.Set(std::numeric_limits<int32_t>::min() + 5999);
    EXPECT_EQ(clock->TimeFromBegin(), 10);
    clock->Freeze(true);
    ticks.Set(std::numeric_limits<int32_t>::min() + 25999);
    clock->Freeze(false);
    EXPECT_EQ(clock->TimeFromBegin(), 10);
    Release();
    EXPECT_EQ(StoredTotal(), "10");
}

TEST_F(ClockTest, ATotalBeyondThirtyTwoBitsStaysAtTheLargestValue) {
    Create("2147483640");
    ticks.Advance(60000);
    Release();
    EXPECT_EQ(StoredTotal(), "2147483647");
}

} // namespace
