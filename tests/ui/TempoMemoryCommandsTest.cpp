#include "TempoMemoryCommands.h"

#include "TempoGrowth.h"
#include "fakes/ManualTickSource.h"
#include "fakes/RecordingSoundOutput.h"

#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

using Tempos = std::array<int32_t, 9>;

class TempoMemoryCommandsTest : public ::testing::Test {
protected:
    TempoMemoryCommandsTest()
        : metron(ticks, sound)
        , commands(metron, memory, SavedTempo, [this] {
            enabledWhenGrowthShown.push_back(metron.Enable());
            if (growthAnswer) {
                growthAnswer();
            }
        }) {
        metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
        metron.BPM(120);
    }

    // One chain of quick presses of a keypad digit; the tempo after each press.
    std::vector<int32_t> Presses(int32_t slot, int32_t count) {
        std::vector<int32_t> tempos;
        for (int32_t press = 1; press <= count; ++press) {
            commands.KeypadDigit(slot, press);
            tempos.push_back(metron.BPM());
        }
        return tempos;
    }

    std::vector<int32_t> Pluses(int count) {
        std::vector<int32_t> tempos;
        for (int i = 0; i < count; ++i) {
            commands.KeypadPlus();
            tempos.push_back(metron.BPM());
        }
        return tempos;
    }

    ManualTickSource ticks;
    RecordingSoundOutput sound;
    CMetronome metron;
    TempoMemoryState memory;
    int32_t SavedTempo = 0;
    std::vector<bool> enabledWhenGrowthShown;
    std::function<void()> growthAnswer;
    TempoMemoryCommands commands;
};

TEST_F(TempoMemoryCommandsTest, StartStateRecallsAndWraps) {
    EXPECT_EQ(Presses(0, 1), std::vector<int32_t>{30});
    EXPECT_EQ(SavedTempo, 120);
    EXPECT_EQ(Presses(8, 1), std::vector<int32_t>{70});
    EXPECT_EQ(SavedTempo, 30);
    EXPECT_EQ(memory.CurSlot, 8);

    // From slot 8, the last of the series, keypad plus wraps to slot 0.
    EXPECT_EQ(Pluses(3), (std::vector<int32_t>{30, 35, 40}));
    EXPECT_EQ(memory.TempoMemory, (Tempos{30, 35, 40, 45, 50, 55, 60, 65, 70}));
}

TEST_F(TempoMemoryCommandsTest, TriplePressOfKeypadFiveBuildsAnEvenRampFromSlotZero) {
    metron.BPM(100);
    EXPECT_EQ(Presses(4, 3), (std::vector<int32_t>{50, 100, 30}));
    // 47.5 and 82.5 go to the even neighbour.
    EXPECT_EQ(memory.TempoMemory, (Tempos{30, 48, 65, 82, 100, 55, 60, 65, 70}));
    EXPECT_EQ(memory.LastSlot, 4);
    EXPECT_EQ(memory.CurSlot, 0);
    EXPECT_EQ(Pluses(6), (std::vector<int32_t>{48, 65, 82, 100, 30, 48}));
}

TEST_F(TempoMemoryCommandsTest, DoublePressStoresTheTempoOneCameFrom) {
    metron.BPM(133);
    EXPECT_EQ(Presses(6, 2), (std::vector<int32_t>{60, 133}));
    EXPECT_EQ(memory.TempoMemory[6], 133);
    EXPECT_EQ(memory.CurSlot, 6);
    EXPECT_EQ(memory.LastSlot, 8);
    EXPECT_EQ(Presses(6, 1), std::vector<int32_t>{133});
}

TEST_F(TempoMemoryCommandsTest, TriplePressOfKeypadOneOrTwoOnlyRecalls) {
    metron.BPM(100);
    EXPECT_EQ(Presses(1, 3), (std::vector<int32_t>{35, 100, 100}));
    EXPECT_EQ(memory.TempoMemory, (Tempos{30, 100, 40, 45, 50, 55, 60, 65, 70}));
    EXPECT_EQ(memory.LastSlot, 8);
    EXPECT_EQ(memory.CurSlot, 1);

    metron.BPM(90);
    EXPECT_EQ(Presses(0, 3), (std::vector<int32_t>{30, 90, 90}));
    EXPECT_EQ(memory.TempoMemory[0], 90);
    EXPECT_EQ(memory.LastSlot, 8);
}

TEST_F(TempoMemoryCommandsTest, FourthAndLaterPressesRecallAndRemember) {
    metron.BPM(100);
    EXPECT_EQ(Presses(4, 5), (std::vector<int32_t>{50, 100, 30, 100, 100}));
    EXPECT_EQ(memory.CurSlot, 4);
    // The fifth press remembered the tempo the fourth had set.
    EXPECT_EQ(SavedTempo, 100);
    EXPECT_EQ(Presses(2, 2), (std::vector<int32_t>{65, 100}));
    EXPECT_EQ(memory.TempoMemory[2], 100);
}

TEST_F(TempoMemoryCommandsTest, KeypadPlusStartsTheNewTempoOnAFreshBeat) {
    metron.Enable(true);
    metron.Pulse();
    ASSERT_EQ(sound.requests.size(), 1u);
    metron.Track().StepForward();
    ticks.Advance(200); // 300 ms before the next quarter at 120 is due
    commands.KeypadPlus();
    EXPECT_TRUE(metron.Enable());
    EXPECT_EQ(metron.BPM(), 30);
    EXPECT_EQ(metron.NextBeatTime(), 200.0);
    EXPECT_EQ(metron.Track().CurPos(), 1);
    metron.Pulse();
    ASSERT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(sound.requests[1].dueTick, 200.0);
}

TEST_F(TempoMemoryCommandsTest, KeypadZeroOpensTheGrowthDialogOnlyAboveSlotOne) {
    metron.Enable(true);
    commands.KeypadZero(); // CurSlot 8 right after start
    EXPECT_EQ(enabledWhenGrowthShown, std::vector<bool>{false});
    EXPECT_FALSE(metron.Enable());
    EXPECT_EQ(metron.BPM(), 120);

    for (const int32_t slot : {0, 1}) {
        Presses(slot, 1);
        metron.Enable(true);
        commands.KeypadZero();
        EXPECT_TRUE(metron.Enable()) << slot;
        EXPECT_EQ(enabledWhenGrowthShown.size(), 1u) << slot;
    }
}

TEST_F(TempoMemoryCommandsTest, GrowthDialogConfirmedReshapesTheRampUpToTheCurrentSlot) {
    memory.TempoMemory[0] = 60;
    metron.BPM(100);
    Presses(4, 2); // slot 4 holds 100 and is the current slot
    growthAnswer = [this] { TempoGrowth::FillRamp(memory, 20); };
    commands.KeypadZero();
    EXPECT_EQ(memory.TempoMemory, (Tempos{60, 62, 70, 82, 100, 55, 60, 65, 70}));
    EXPECT_EQ(memory.LastSlot, 4);
    EXPECT_EQ(metron.BPM(), 100);
    EXPECT_FALSE(metron.Enable());
}

TEST_F(TempoMemoryCommandsTest, WarmUpSeriesOnlyOnADoublePress) {
    const TempoMemoryState before = memory;
    commands.KeypadDecimal(false);
    EXPECT_EQ(memory, before);
    EXPECT_EQ(metron.BPM(), 120);

    commands.KeypadDecimal(true);
    EXPECT_EQ(memory.TempoMemory, (Tempos{40, 52, 56, 60, 62, 69, 81, 98, 120}));
    EXPECT_EQ(metron.BPM(), 40);
    EXPECT_EQ(memory.CurSlot, 0);
    EXPECT_EQ(memory.LastSlot, 8);

    // A third quick press builds the next series from 40.
    commands.KeypadDecimal(true);
    EXPECT_EQ(memory.TempoMemory, (Tempos{27, 30, 32, 33, 34, 35, 36, 38, 40}));
    EXPECT_EQ(metron.BPM(), 27);
}

TEST_F(TempoMemoryCommandsTest, WarmUpSeriesRisesToTheTargetAtEveryTempo) {
    for (int32_t b = CMetronome::MinBpm; b <= CMetronome::MaxBpm; ++b) {
        metron.BPM(b);
        commands.KeypadDecimal(true);
        const Tempos& t = memory.TempoMemory;
        EXPECT_EQ(t[8], b);
        for (std::size_t i = 1; i < 9; ++i) {
            EXPECT_LE(t[i - 1], t[i]) << b << " slot " << i;
        }
    }
    // At the top of the range: low 73, mid 127, exponent 3.43.
    EXPECT_EQ(memory.TempoMemory, (Tempos{73, 104, 117, 127, 128, 135, 160, 217, 320}));
}

} // namespace
