#include "SessionFixture.h"

#include <array>
#include <utility>

namespace {

using Tempos = std::array<int32_t, 9>;
const Tempos Start{30, 35, 40, 45, 50, 55, 60, 65, 70};

class TempoMemoryCommandsTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        commands = session->TempoKeys.get();
    }

    // One chain of quick presses of a keypad digit; the tempo after each press.
    std::vector<int32_t> Presses(int32_t slot, int32_t count) {
        std::vector<int32_t> tempos;
        for (int32_t press = 1; press <= count; ++press) {
            commands->KeypadDigit(slot, press);
            tempos.push_back(metron->BPM());
        }
        return tempos;
    }

    TempoMemoryCommands* commands = nullptr;
};

// A tap recalls, a double tap stores the tempo one came from, a triple tap from keypad 3 up
// spreads an even ramp from slot 0 (47.5 and 82.5 going to the even neighbour), and later presses
// recall again.
TEST_F(TempoMemoryCommandsTest, QuickPressesOfAKeypadDigit) {
    const Tempos ramp{30, 48, 65, 82, 100, 55, 60, 65, 70};
    const struct {
        int32_t tempo;
        int32_t slot;
        std::vector<int32_t> tempos;
        Tempos memory;
        int32_t curSlot;
        int32_t lastSlot;
    } rows[] = {
        {120, 0, {30}, Start, 0, 8},
        {133, 6, {60, 133}, {30, 35, 40, 45, 50, 55, 133, 65, 70}, 6, 8},
        {100, 4, {50, 100, 30}, ramp, 0, 4},
        {100, 4, {50, 100, 30, 100, 100}, ramp, 4, 4},
        {100, 1, {35, 100, 100}, {30, 100, 40, 45, 50, 55, 60, 65, 70}, 1, 8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << "slot " << row.slot << ", " << row.tempos.size());
        values = TempoMemoryState{};
        metron->BPM(row.tempo);
        EXPECT_EQ(Presses(row.slot, static_cast<int32_t>(row.tempos.size())), row.tempos);
        EXPECT_EQ(values.TempoMemory, row.memory);
        EXPECT_EQ(values.CurSlot, row.curSlot);
        EXPECT_EQ(values.LastSlot, row.lastSlot);
    }
}

TEST_F(TempoMemoryCommandsTest, KeypadPlusStartsTheNewTempoOnAFreshBeat) {
    metron->Enable(true);
    metron->Pulse();
    metron->Track().StepForward();
    ticks.now += 200; // 300 ms before the next quarter at 120 is due
    commands->KeypadPlus();
    EXPECT_TRUE(metron->Enable());
    EXPECT_EQ(metron->Track().CurPos(), 1);
    metron->Pulse();
    ASSERT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(sound.requests[1].frame, 44100 + 8820); // 200 ms after the start at 1 s
    // From the last slot the press wrapped round to the first; the next goes on to the second.
    commands->KeypadPlus();
    EXPECT_EQ(metron->BPM(), 35);
}

TEST_F(TempoMemoryCommandsTest, WarmUpSeriesOnADoublePressRisesToTheTempo) {
    commands->KeypadDecimal(false);
    EXPECT_EQ(values.TempoMemory, Start);
    values.CurSlot = 5;
    values.LastSlot = 3;
    // At the top of the range: low 73, mid 127, exponent 3.43; at the bottom no step exceeds it.
    for (const auto& [tempo, series] :
         {std::pair{120, Tempos{40, 52, 56, 60, 62, 69, 81, 98, 120}},
          {CMetronome::MaxBpm, Tempos{73, 104, 117, 127, 128, 135, 160, 217, 320}},
          {CMetronome::MinBpm, Tempos{15, 15, 15, 15, 15, 15, 15, 15, 15}}}) {
        metron->BPM(tempo);
        commands->KeypadDecimal(true);
        EXPECT_EQ(values.TempoMemory, series);
        EXPECT_EQ(metron->BPM(), series[0]);
    }
    EXPECT_EQ(values.CurSlot, 0);
    EXPECT_EQ(values.LastSlot, 8);
}

// What a store, an even ramp and the warm-up series write into the memory is told, and the undo
// puts back exactly the slots each overwrote (and where the series ended), leaving the tempo and
// the slot stepped to as they are.
TEST_F(TempoMemoryCommandsTest, StoresAndRampsAreToldAndTheirUndoPutsTheSlotsBack) {
    metron->BPM(100);
    commands->KeypadDigit(2, 1);
    commands->KeypadDigit(2, 2);
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Tempo memory 3 stored", true}));
    EXPECT_EQ(feedback->UndoLabel(), "Undo: tempo memory 3 stored");
    EXPECT_EQ(values.TempoMemory[2], 100);
    commands->KeypadPlus();
    ASSERT_TRUE(feedback->Undo());
    EXPECT_EQ(values.TempoMemory, Start);
    EXPECT_EQ(values.CurSlot, 3) << "the stepping stays where it went";
    EXPECT_EQ(metron->BPM(), 45);
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Undone: tempo memory 3 stored", false}));

    metron->BPM(100);
    Presses(4, 3);
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Even ramp up to tempo memory 5", true}));
    feedback->Undo();
    EXPECT_EQ(values.TempoMemory, (Tempos{30, 35, 40, 45, 100, 55, 60, 65, 70}))
        << "the store before the ramp stays";
    EXPECT_EQ(values.LastSlot, 8);

    metron->BPM(120);
    commands->KeypadDecimal(true);
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Warm-up tempo ramp stored", true}));
    EXPECT_EQ(feedback->UndoLabel(), "Undo: warm-up tempo ramp");
    values.LastSlot = 3;
    feedback->Undo();
    EXPECT_EQ(values.TempoMemory, (Tempos{30, 35, 40, 45, 100, 55, 60, 65, 70}));
    EXPECT_EQ(values.LastSlot, 8);
    EXPECT_EQ(metron->BPM(), 40) << "the tempo is not touched";
    EXPECT_EQ(settings.writeCount, 0) << "the tempo memory is not kept in the settings";
}

} // namespace
