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

TEST_F(ClockTest, ReadsTheStoredTotalAndTakesOneThatIsNoNumberOrNegativeAsZero) {
    for (const char* damaged :
         {"", "abc", "12abc", "1 2", "nan", "inf", "99999999999", "0x10", "-5000", "-0.6"}) {
        Create(damaged);
        EXPECT_EQ(clock->TotalTime(), 0) << '"' << damaged << '"';
        clock.reset();
    }
    Create(" 42 ");
    EXPECT_EQ(clock->TotalTime(), 42);
    EXPECT_EQ(clock->TimeFromBegin(), 0);
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

// After the two hands come twelve hour marks: each runs outward along its own ray from the ring at
// 23 pixels to the rim at 30, a twelfth of a turn after the one before.
TEST_F(ClockTest, TwelveHourMarksRunOutwardFromTheRing) {
    Create("0");
    clock->Paint();
    const auto lines = face.Lines();
    ASSERT_EQ(lines.size(), 14u);
    for (std::size_t mark = 0; mark < 12; ++mark) {
        const LineCall& line = lines[mark + 2];
        const double angle = static_cast<double>(mark) * 3.1416 / 6;
        EXPECT_NEAR(line.x1, 30 + 23 * std::sin(angle), 1e-3) << mark;
        EXPECT_NEAR(line.y1, 30 + 23 * std::cos(angle), 1e-3) << mark;
        EXPECT_NEAR(line.x2, 30 + 30 * std::sin(angle), 1e-3) << mark;
        EXPECT_NEAR(line.y2, 30 + 30 * std::cos(angle), 1e-3) << mark;
    }
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

// What reaches the store when the clock is released, at a checkpoint and after a reset, frozen or
// not: a frozen stretch never counts, and a checkpoint is not added twice.
TEST_F(ClockTest, TheStoredTotalCountsTheRunUpToTheFreeze) {
    enum class Act { Release, Checkpoint, Reset };
    const struct {
        const char* stored;
        int32_t runMs;
        bool frozen;
        int32_t frozenMs;
        Act act;
        const char* atCheckpoint;
        const char* atRelease;
    } cases[] = {
        {"100", 61400, false, 0, Act::Release, "", "161"},
        {"100", 40000, true, 3600000, Act::Release, "", "140"},
        {"1000", 10000, false, 0, Act::Checkpoint, "1010", "1015"},
        {"0", 12000, true, 50000, Act::Checkpoint, "12", "12"},
        {"5000", 90000, false, 0, Act::Reset, "", "27"},
        {"0", 60000, true, 20000, Act::Reset, "", "7"},
        {"2147483640", 60000, false, 0, Act::Release, "", "2147483647"},
    };
    for (const auto& c : cases) {
        store = MemorySettingsStore{};
        Create(c.stored);
        ticks.Advance(c.runMs);
        if (c.frozen) {
            clock->Freeze(true);
        }
        ticks.Advance(c.frozenMs);
        if (c.act == Act::Checkpoint) {
            clock->StoreProgress();
            EXPECT_EQ(StoredTotal(), c.atCheckpoint) << c.stored;
            EXPECT_EQ(clock->Freeze(), c.frozen);
            ticks.Advance(5000);
        } else if (c.act == Act::Reset) {
            clock->ResetTime();
            EXPECT_EQ(clock->TotalTime(), 0);
            EXPECT_EQ(StoredTotal(), c.stored);
            ticks.Advance(20000);
            clock->Freeze(false);
            ticks.Advance(7000);
        }
        Release();
        EXPECT_EQ(StoredTotal(), c.atRelease) << c.stored;
    }
}

} // namespace
