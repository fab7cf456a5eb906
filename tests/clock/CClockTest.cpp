#include "CClock.h"

#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSurface.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <tuple>

namespace {

using LineCall = RecordingSurface::LineCall;

class ClockTest : public ::testing::Test {
protected:
    // A clock created at tick `start` on a store that holds `stored`.
    void Create(const char* stored, int32_t start = 1000) {
        store.Set("Time", "TotalTime", stored);
        ticks.now = start;
        clock = std::make_unique<CClock>(ticks, store);
        clock->Container(face);
    }
    std::string StoredTotal() const { return store.Stored("Time", "TotalTime").value_or("?"); }

    ManualTickSource ticks;
    MemorySettingsStore store;
    RecordingSurface face;
    std::unique_ptr<CClock> clock;
};

TEST_F(ClockTest, AStoredTotalThatIsNoNumberOrNegativeCountsAsZero) {
    for (const char* damaged :
         {"", "abc", "12abc", "1 2", "nan", "inf", "99999999999", "0x10", "-5000", "-0.6"}) {
        Create(damaged);
        EXPECT_EQ(clock->TotalTime(), 0) << '"' << damaged << '"';
    }
    Create(" 42 ");
    EXPECT_EQ(clock->TotalTime(), 42);
}

// The run hand turns once an hour, the total hand once in twelve hours; over them go twelve marks,
// a twelfth of a turn apart, each running outward from the ring at 23 pixels to the rim at 30.
TEST_F(ClockTest, HandsFollowTheRunAndTheTotalUnderTwelveHourMarks) {
    Create("10800");
    ticks.now += 30 * 60000;
    clock->Paint();
    const auto lines = face.Lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], (LineCall{30, 30, 30, 50, 2, {0, 0, 0}}));
    EXPECT_EQ(lines[1], (LineCall{30, 30, 54, 36, 1, {255, 0, 0}}));
    // Mark 3, a quarter turn on: from the ring to the rim.
    EXPECT_NEAR(lines[5].x1, 53, 1e-3);
    EXPECT_NEAR(lines[5].x2, 60, 1e-3);
    EXPECT_NEAR(lines[5].y2, 30, 1e-3);
}

TEST_F(ClockTest, TheRunRoundsHalvesToEvenMovesByMinutesAndStopsWhileFrozen) {
    Create("0", 1000);
    const std::pair<int32_t, int32_t> cases[] = {{500, 0},  {501, 1},  {1500, 2},
                                                 {2500, 2}, {3499, 3}, {10000, 10}};
    for (const auto& [elapsed, seconds] : cases) {
        ticks.now = 1000 + elapsed;
        EXPECT_EQ(clock->TimeFromBegin(), seconds) << elapsed << " ms";
    }
    clock->TimePlus();
    EXPECT_EQ(clock->TimeFromBegin(), 70);
    clock->TimeMinus();
    clock->TimeMinus();
    EXPECT_EQ(clock->TimeFromBegin(), -50);
    clock->TimePlus();
    // Frozen, the face stands still with a blue bar; a second freeze keeps the first moment and a
    // second resume subtracts nothing more.
    clock->Freeze(true);
    const auto atFreeze = face.Lines();
    ASSERT_EQ(atFreeze.size(), 15u);
    EXPECT_EQ(atFreeze.back(), (LineCall{0, 0, 60, 60, 3, {0, 0, 255}}));
    ticks.now += 10 * 60000;
    clock->Freeze(true);
    EXPECT_EQ(face.Lines(), atFreeze);
    ticks.now += 10 * 60000;
    clock->Freeze(false);
    clock->Freeze(false);
    EXPECT_EQ(face.Lines().size(), 14u);
    clock.reset();
    EXPECT_EQ(StoredTotal(), "10");
}

// What reaches the store at a checkpoint or reset (if any) and at release: each case runs, freezes
// or not, waits 50 s, acts, waits 20 s, resumes and runs 7 s more. A frozen stretch never counts,
// a checkpoint is not added twice, and the total stops at 32 bits.
TEST_F(ClockTest, TheStoredTotalCountsTheRunUpToTheFreeze) {
    void (*const Checkpoint)(CClock&) = [](CClock& c) { c.StoreProgress(); };
    void (*const Reset)(CClock&) = [](CClock& c) { c.ResetTime(); };
    // Stored total, ms run before freezing or not, act, stored after the act, stored at release.
    const std::tuple<const char*, int32_t, bool, void (*)(CClock&), const char*, const char*>
        cases[] = {
            {"100", 61400, false, nullptr, "", "238"},
            {"100", 40000, true, nullptr, "", "147"},
            {"1000", 10000, false, Checkpoint, "1060", "1087"},
            {"0", 12000, true, Checkpoint, "12", "19"},
            {"5000", 90000, false, Reset, "5000", "27"},
            {"0", 60000, true, Reset, "0", "7"},
            {"2147483640", 60000, false, nullptr, "", "2147483647"},
        };
    for (const auto& [stored, runMs, frozen, act, afterAct, atRelease] : cases) {
        Create(stored);
        ticks.now += runMs;
        clock->Freeze(frozen);
        ticks.now += 50000;
        if (act != nullptr) {
            act(*clock);
            EXPECT_EQ(StoredTotal(), afterAct) << stored;
        }
        ticks.now += 20000;
        clock->Freeze(false);
        ticks.now += 7000;
        clock.reset();
        EXPECT_EQ(StoredTotal(), atRelease) << stored;
    }
}

// An undone reset puts the total and the run it cut off back ahead of the run since, frozen or
// not: no practice is lost, and what the store holds follows at the next checkpoint.
TEST_F(ClockTest, AnUndoneResetLosesNoPractice) {
    for (const bool frozen : {false, true}) {
        SCOPED_TRACE(frozen ? "frozen" : "running");
        Create("5000");
        ticks.now += 90000;
        clock->Freeze(frozen);
        ticks.now += 30000;
        const CClock::Cleared cleared = clock->ResetTime();
        EXPECT_EQ(cleared.TotalTime, 5000);
        EXPECT_EQ(cleared.RunMilliseconds, frozen ? 90000 : 120000);
        ticks.now += 10000;
        clock->StoreProgress();
        EXPECT_EQ(StoredTotal(), frozen ? "0" : "10");
        clock->UndoReset(cleared);
        EXPECT_EQ(clock->TotalTime(), 5000);
        clock->StoreProgress();
        EXPECT_EQ(StoredTotal(), frozen ? "5090" : "5130");
        clock->Freeze(false);
        ticks.now += 5000;
        clock.reset();
        EXPECT_EQ(StoredTotal(), frozen ? "5095" : "5135");
    }
}

// Two runs of the program at once, each with its clock on the one store: each adds what it counted
// since its last checkpoint to the total as stored then. A total that cannot be read is replaced by
// the clock's own, not added to.
TEST_F(ClockTest, TwoRunsAtOnceBothCount) {
    Create("1000", 0);
    ticks.now = 2000;
    std::optional<CClock> other(std::in_place, ticks, store);
    ticks.now = 10000;
    clock->StoreProgress();
    ticks.now = 12000;
    other->StoreProgress();
    EXPECT_EQ(StoredTotal(), "1020") << "after both first checkpoints";
    ticks.now = 33000;
    clock.reset();
    ticks.now = 36000;
    other.reset();
    EXPECT_EQ(StoredTotal(), "1067") << "after both runs of 33 s and 34 s";

    Create("12 minutes", 0);
    ticks.now = 10000;
    clock->StoreProgress();
    EXPECT_EQ(StoredTotal(), "10");
}

} // namespace
