// The keys whose effect nothing else shows: the mixer levels, the microphone mute, the mixer
// presets and the practice total's reset. What each tells, and what the undo of a store or reset
// puts back in the settings, through the fakes.
#include "SessionFixture.h"

#include <optional>

namespace {

using Line = MixerLineType;
using Type = MixerControlType;
using Notice = CommandFeedback::Notice;

class MixerClockCommandsTest : public SessionFixture {
protected:
    void SetUp() override {
        settings.Set("Time", "TotalTime", "7200");
        SessionFixture::SetUp();
        commands = session->MixerClockKeys.get();
    }
    int32_t Level(Line line) { return mixer.Value(line, Type::Volume); }
    std::optional<std::string> Stored(const std::string& key) {
        return settings.Stored("Mixer", key);
    }

    std::vector<Notice> told;
    MixerClockCommands* commands = nullptr;
};

// A level step tells the level the mixer then holds as a share of its range, the mute its new
// state; neither can be undone, and neither touches the settings.
TEST_F(MixerClockCommandsTest, LevelsAndTheMuteTellWhatTheMixerNowHolds) {
    feedback->Listen([this](const Notice& notice) { told.push_back(notice); });
    using L = MixerClockCommands::Level;
    commands->StepLevel(L::Master, -4096);
    commands->StepLevel(L::Wave, 4096);
    commands->StepLevel(L::Microphone, -4096);
    commands->ToggleMute();
    commands->ToggleMute();
    const std::vector<Notice> expected{
        {"Master volume 94 %", false},     {"Wave volume 56 %", false},
        {"Microphone volume -6 %", false}, {"Microphone muted", false},
        {"Microphone on", false},
    };
    EXPECT_EQ(told, expected);
    EXPECT_EQ(Level(Line::Master), 65535 - 4096);
    EXPECT_FALSE(feedback->CanUndo());
    EXPECT_EQ(settings.writeCount, 0);
}

// A card without the control has no range to tell, and a mute that does not turn over says so.
TEST_F(MixerClockCommandsTest, AMissingControlIsToldAsSuch) {
    mixer.controls.clear();
    SetUp();
    commands->StepLevel(MixerClockCommands::Level::Wave, 4096);
    EXPECT_EQ(feedback->Last().Text, "Wave volume: the mixer has no such control");
    commands->ToggleMute();
    EXPECT_EQ(feedback->Last().Text, "The microphone's mute cannot be switched");
}

TEST_F(MixerClockCommandsTest, PercentRoundsHalvesToEven) {
    EXPECT_EQ(MixerClockCommands::Percent(53247, 0, 65535), 81);
    EXPECT_EQ(MixerClockCommands::Percent(5, 0, 1000), 0);
    EXPECT_EQ(MixerClockCommands::Percent(15, 0, 1000), 2);
    EXPECT_EQ(MixerClockCommands::Percent(-50, -100, 0), 50);
}

// A preset's tap tells whether it held anything; a double tap stores, says so, and its undo puts
// the three entries back as they were: the old levels, or no entries at all. The mixer's levels
// stay where the store left them, as before the tap.
TEST_F(MixerClockCommandsTest, APresetStoredIsToldAndItsUndoPutsTheEntriesBack) {
    settings.Set("Mixer", "mixB_main", "1000");
    settings.Set("Mixer", "mixB_mic", "3000");
    commands->Preset(false, "B");
    EXPECT_EQ(feedback->Last(), (Notice{"Mixer preset B recalled", false}));
    EXPECT_EQ(Level(Line::Master), 1000);
    commands->Preset(true, "B");
    commands->Preset(true, "B");
    EXPECT_EQ(feedback->Last(), (Notice{"Mixer preset B stored", true}));
    EXPECT_EQ(feedback->UndoLabel(), "Undo: mixer preset B stored");
    EXPECT_EQ(Stored("mixB_wave"), "32768");
    ASSERT_TRUE(feedback->Undo());
    EXPECT_EQ(Stored("mixB_main"), "1000");
    EXPECT_EQ(Stored("mixB_wave"), std::nullopt);
    EXPECT_EQ(Stored("mixB_mic"), "3000");
    EXPECT_EQ(Level(Line::Master), 65535);
    EXPECT_EQ(feedback->Last(), (Notice{"Undone: mixer preset B stored", false}));

    commands->Preset(false, "/");
    EXPECT_EQ(feedback->Last(), (Notice{"Mixer preset / is empty", false}));
    commands->Preset(true, "/");
    feedback->Undo();
    for (const char* key : {"mix/_main", "mix/_wave", "mix/_mic"}) {
        EXPECT_EQ(Stored(key), std::nullopt) << key;
    }
}

// F5 twice resets and says so; the undo puts the total and the run back, also in the settings
// file at once, with the practice since the reset counted. A held F5 (more quick repeats) still
// undoes to before the first reset. A single F5 does nothing.
TEST_F(MixerClockCommandsTest, APracticeTotalResetIsToldAndItsUndoPutsTheTotalBack) {
    commands->ResetClock(false);
    EXPECT_EQ(feedback->Last(), Notice{});
    ticks.now += 60000;
    commands->ResetClock(true);
    EXPECT_EQ(feedback->Last(), (Notice{"Practice time reset", true}));
    EXPECT_EQ(feedback->UndoLabel(), "Undo: practice time reset");
    ticks.now += 500;
    commands->ResetClock(true);
    ticks.now += 500;
    commands->ResetClock(true);
    ticks.now += 10000;
    session->Clock->StoreProgress();
    EXPECT_EQ(settings.Stored("Time", "TotalTime"), "10");
    ASSERT_TRUE(feedback->Undo());
    EXPECT_EQ(settings.Stored("Time", "TotalTime"), "7271");
    EXPECT_EQ(session->Clock->TotalTime(), 7200);
    EXPECT_EQ(feedback->Last(), (Notice{"Undone: practice time reset", false}));
    ticks.now += 9000;
    session->Clock.reset();
    EXPECT_EQ(settings.Stored("Time", "TotalTime"), "7280");
}

// One level: a new store replaces the record of the one before, and an undo uses it up. A store
// repeated at once keeps the record of the first; one that writes something new does not.
TEST_F(MixerClockCommandsTest, OnlyTheLastStoreOrResetCanBeUndone) {
    commands->Preset(false, "N");
    commands->Preset(true, "N");
    commands->ResetClock(true);
    feedback->Undo();
    EXPECT_EQ(Stored("mixN_main"), "65535") << "the store before the reset stays";
    EXPECT_FALSE(feedback->Undo());
    EXPECT_EQ(feedback->UndoLabel(), "");

    commands->Preset(false, "N");
    commands->Preset(true, "N");
    session->Volume->VolumeLevel(100);
    commands->Preset(false, "N");
    commands->Preset(true, "N");
    EXPECT_EQ(Stored("mixN_main"), "100");
    feedback->Undo();
    EXPECT_EQ(Stored("mixN_main"), "65535");
}

} // namespace
