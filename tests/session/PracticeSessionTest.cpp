// The practice session without a window: its start and end, the quick repeats of one key, and
// what it asks of the window. Which key reaches which command is tested with the window's menu;
// the commands' own flows with the command classes.
#include "PracticeSession.h"

#include "VirtualKey.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/RecordingSurface.h"
#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using K = VirtualKey;

class RecordingView final : public SessionView {
public:
    void RunCommand(const std::function<void()>& command) override {
        ++commands;
        command();
    }
    void ShowHelp() override { asked += "help;"; }
    void ShowNoteBook() override { asked += "notebook;"; }
    void ToggleDisplayMode() override { asked += "display;"; }
    void ShowListTmps() override { asked += "list;"; }
    void ShowTempoGrowth() override { asked += "growth;"; }
    bool ShowRhythmEntry(std::string& text) override {
        asked += "entry " + text + ";";
        text = entryAnswer;
        return !entryAnswer.empty();
    }
    void ShowExportNotice(bool visible) override { asked += visible ? "export;" : "done;"; }
    void DeliverDuringExport() override {}

    std::string asked;
    int commands = 0;
    std::string entryAnswer;
};

class PracticeSessionTest : public ::testing::Test {
protected:
    PracticeSessionTest() {
        // The microphone comes muted from the last run.
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
        values.TempoMemory[0] = 99;
        values.CurSlot = 2;
        session = std::make_unique<PracticeSession>(services, values, view, face);
        session->Start(events);
    }
    // One key event, then the clock moves on by gap milliseconds.
    void Key(int32_t code, int32_t gap = 100, int32_t shift = 0) {
        session->KeyDown(code, shift);
        ticks.now += gap;
    }
    int32_t Bpm() const { return session->Metron->BPM(); }
    int32_t& Muted() { return mixer.Value(MixerLineType::Microphone, MixerControlType::Mute); }

    ManualTickSource ticks{1000};
    RecordingSoundOutput sound;
    FakeMixerDevice mixer;
    MemorySettingsStore settings;
    ScriptedDialogs dialogs;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempoMemoryState values;
    RecordingView view;
    RecordingSurface face;
    CMetronomeEvents events;
    std::unique_ptr<PracticeSession> session;
};

// The microphone is unmuted while the session runs and F12 still turns it over, but at the end its
// mute is as the session found it, muted or not.
TEST_F(PracticeSessionTest, StartsWithTheStartValuesAndEndsWithTheMicrophoneAsFound) {
    EXPECT_EQ(values, TempoMemoryState{});
    EXPECT_EQ(Bpm(), 120);
    EXPECT_EQ(session->Metron->Track().Rhithm(), "4 xxxx (xxxx xxxx xxxx xxxx)0  ");
    EXPECT_FALSE(session->Metron->Enable());
    // Turned over by F12 when found unmuted, left unmuted when found muted.
    for (const int32_t atStart : {0, 1}) {
        session.reset();
        Muted() = atStart;
        session = std::make_unique<PracticeSession>(services, values, view, face);
        EXPECT_EQ(Muted(), 0);
        if (atStart == 0) {
            Key(K::F12);
            EXPECT_EQ(Muted(), 1);
        }
        session->End();
        EXPECT_EQ(Muted(), atStart);
    }
    // Nothing runs after the end.
    Key(K::Space);
    EXPECT_EQ(view.commands, 1);
}

TEST_F(PracticeSessionTest, QuickRepeatsOfOneKeyChainUntilAnotherKeyOrAPauseOf800Milliseconds) {
    for (const int32_t tempo : {20, 25, 23, 27, 20, 20}) {
        Key('Q', 799);
        EXPECT_EQ(Bpm(), tempo);
    }
    ticks.now += 1;
    Key('Q');
    EXPECT_EQ(Bpm(), 20);
    Key('W');
    Key('W');
    EXPECT_EQ(Bpm(), 35);
    // A key without a command, and Ctrl's own key event, break the chain; Shift keeps the key.
    for (const int32_t code : {K::F10, K::Control}) {
        Key('Q');
        Key(code, 100, K::ControlMask);
        Key('Q', 100, K::ShiftMask);
        EXPECT_EQ(Bpm(), 20);
    }
    // The repeat time is the wall clock's, also while the beat's frames stand still for a report
    // of the sound device; and it does not count backwards.
    session->Metron->Enable(true);
    ticks.now += 1000;
    Key('Q', 0);
    ticks.wallAhead += 790;
    Key('Q', 0);
    EXPECT_EQ(Bpm(), 25);
    ticks.wallAhead += 810;
    Key('Q', 0);
    EXPECT_EQ(Bpm(), 20);
    ticks.wallAhead -= 500;
    Key('Q');
    EXPECT_EQ(Bpm(), 20);
    // Alt+F4 belongs to the window system.
    Key(K::F4, 100, K::AltMask);
    EXPECT_TRUE(session->Metron->Enable());
}

TEST_F(PracticeSessionTest, AsksTheWindowForWhatOnlyAWindowShowsAndRunsNothingDuringAnExport) {
    view.entryAnswer = "8 x'x'x'x'";
    for (const int32_t key : {K::F1, K::F9, K::Numpad0, K::F4, 109, 109, 109, 109}) {
        Key(key);
    }
    EXPECT_EQ(view.asked, "help;notebook;growth;entry 4 xxxx (xxxx xxxx xxxx xxxx)0  ;display;"
                          "display;display;display;list;");
    EXPECT_EQ(session->Metron->Track().Rhithm(), "8 x'x'x'x'  ");
    EXPECT_EQ(view.commands, 8);
    session->ExportBusy = true;
    Key(K::Space);
    EXPECT_EQ(view.commands, 8);
    EXPECT_FALSE(session->Metron->Enable());
}

} // namespace
