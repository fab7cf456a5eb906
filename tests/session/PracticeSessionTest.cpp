// The practice session without a window: its start and end, the quick repeats of one key, and
// what it asks of the window. Which key reaches which command is tested with the window's menu;
// the commands' own flows beside this, through the session's command objects.
#include "SessionFixture.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <stdexcept>

namespace {

using K = VirtualKey;

// A sound output that fails on its request number failAt.
class FailingSound final : public SoundOutput {
public:
    void PlaySample(std::string_view, int64_t) override {
        if (++requests == failAt) {
            throw std::runtime_error("the sound device went away");
        }
    }
    void Withdraw(int64_t) override {}
    int64_t EarliestFrame(int64_t now) const override { return now; }
    int failAt = 3;
    int requests = 0;
};

class PracticeSessionTest : public SessionFixture {
protected:
    void SetUp() override {
        values.TempoMemory[0] = 99;
        values.CurSlot = 2;
        SessionFixture::SetUp();
    }
    int32_t Bpm() const { return metron->BPM(); }
    int32_t& Muted() { return mixer.Value(MixerLineType::Microphone, MixerControlType::Mute); }
};

// The microphone is unmuted while the session runs and F12 still turns it over, but at the end its
// mute is as the session found it, muted or not; only then is the practice time stored and the
// mixer closed, once.
TEST_F(PracticeSessionTest, StartsWithTheStartValuesAndEndsWithTheMicrophoneAsFound) {
    EXPECT_EQ(values, TempoMemoryState{});
    EXPECT_EQ(Bpm(), 120);
    EXPECT_EQ(metron->Track().Rhithm(), "4 xxxx (xxxx xxxx xxxx xxxx)0  ");
    EXPECT_FALSE(metron->Enable());
    // Turned over by F12 when found unmuted, left unmuted when found muted.
    for (const int32_t atStart : {0, 1}) {
        session.reset();
        settings.values.clear();
        Muted() = atStart;
        Create(services);
        EXPECT_EQ(Muted(), 0);
        if (atStart == 0) {
            Key(K::F12);
            EXPECT_EQ(Muted(), 1);
        }
        ticks.now += 7000;
        mixer.calls.clear();
        settings.log = &mixer.calls;
        session->End();
        // The mute is the fixture's fourth control, number 3.
        EXPECT_EQ(mixer.calls, (std::vector<std::string>{"Set 3 " + std::to_string(atStart),
                                                         "Write Time/TotalTime=7", "Close"}));
    }
    // Nothing runs after the end.
    Create(services);
    session->End();
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
    Key('W', 800);
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
    metron->Enable(true);
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
    // P and O step the silent seconds of the pause cycle, which take a step only while it runs.
    for (const int32_t key : {int32_t{'P'}, K::F7, int32_t{'P'}, int32_t{'O'}, int32_t{'O'}}) {
        Key(key, 1000);
    }
    EXPECT_EQ(metron->PauseSec(), 3);
    // Alt+F4 belongs to the window system.
    Key(K::F4, 100, K::AltMask);
    EXPECT_TRUE(metron->Enable());
}

TEST_F(PracticeSessionTest, AsksTheWindowForWhatOnlyAWindowShowsAndRunsNothingDuringAnExport) {
    view.entryAnswers = {"8 x'x'x'x'"};
    for (const int32_t key : {K::F1, K::F9, K::Numpad0, K::F4, 109, 109, 109, 109}) {
        Key(key);
    }
    EXPECT_EQ(view.asked, "help;notebook;growth;entry 4 xxxx (xxxx xxxx xxxx xxxx)0  ;display;"
                          "display;display;display;list;");
    EXPECT_EQ(metron->Track().Rhithm(), "8 x'x'x'x'  ");
    EXPECT_EQ(view.commands, 8);
}

// During an export keys are turned away and a close is refused; a close asked for meanwhile
// follows once the command has returned. An end the player did not ask for stops the export.
TEST_F(PracticeSessionTest, ACloseWaitsForTheCommandInProgressAndAnExport) {
    const TempFolder folder;
    metron->SampleFolder(folder.path);
    metron->Track().Rhithm("8 xx xx");
    for (const UnloadMode mode : {ByCloseBox, BySystem}) {
        SCOPED_TRACE(mode);
        const std::filesystem::path take = folder / ("take" + std::to_string(mode) + ".wav");
        dialogs.answers.push_back(take.string());
        view.asked.clear();
        view.later.clear();
        bool mayClose = true;
        view.duringExport = [&] {
            Key(K::Space);
            mayClose = mayClose && session->QueryUnload(ByCloseBox);
            session->RequestClose(mode);
        };
        Key(K::F11);
        view.duringExport = nullptr;
        EXPECT_FALSE(mayClose);
        EXPECT_FALSE(metron->Enable()) << "a key ran during the export";
        EXPECT_EQ(std::filesystem::exists(take), mode == ByCloseBox);
        EXPECT_EQ(view.asked.find("close"), std::string::npos);
        ASSERT_EQ(view.later.size(), 1u);
        view.later.front()();
        EXPECT_NE(view.asked.find("close " + std::to_string(mode)), std::string::npos)
            << view.asked;
    }
    // Notes that cannot be saved keep the window open only when the player can be asked.
    view.notesUnsaved = true;
    EXPECT_FALSE(session->QueryUnload(ByCloseBox));
    EXPECT_TRUE(session->Running);
    EXPECT_TRUE(session->QueryUnload(BySystem));
    EXPECT_FALSE(session->Running);
}

// An export shows its notice while it renders; a sample file that is missing is silence in it, and
// the player is told so. A failed export is reported and leaves no file.
TEST_F(PracticeSessionTest, AnExportShowsItsNoticeWhileItRenders) {
    const TempFolder folder;
    metron->SampleFolder(folder.path);
    metron->Track().Rhithm("8 xx xx xx xx");
    int shownDuringRender = 0;
    view.duringExport = [&] { shownDuringRender += view.asked == "export;" ? 1 : -1000; };
    for (const auto& [target, icon] : {std::pair{folder / "take.wav", MessageIcon::Exclamation},
                                       {folder / "gone" / "take.wav", MessageIcon::Error}}) {
        view.asked.clear();
        dialogs.messages.clear();
        dialogs.answers.push_back(target.string());
        Key(K::F11);
        EXPECT_EQ(view.asked, "export;done;");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].icon, icon);
        const std::string named = icon == MessageIcon::Error ? "take.wav" : "boom.wav";
        EXPECT_NE(dialogs.messages[0].text.find(named), std::string::npos);
    }
    EXPECT_GT(shownDuringRender, 0);
    // Eight eighths at 120: 2 s of mono 16-bit sound at 44100 Hz behind a 44-byte header.
    EXPECT_EQ(std::filesystem::file_size(folder / "take.wav"), 44u + 2u * 88200u);
    EXPECT_FALSE(std::filesystem::exists(folder / "gone"));
}

// Nothing can be trusted after a fault in the middle of a step: the session ends as a close does,
// the microphone put back and the practice time stored, and the window is closed.
TEST_F(PracticeSessionTest, AFaultInTheEngineEndsTheSessionAsACloseWould) {
    FailingSound failing;
    PlatformServices failingServices{ticks, failing, settings, mixer, dialogs};
    Create(failingServices);
    view.asked.clear();
    Key(K::Space);
    for (int turn = 0; turn < 100 && !session->Ended(); ++turn) {
        ticks.now += 100;
        session->Pulse();
    }
    EXPECT_EQ(failing.requests, 3);
    EXPECT_TRUE(session->Ended());
    EXPECT_EQ(view.asked, "ending;close 1;");
    EXPECT_EQ(Muted(), 1);
    EXPECT_EQ(settings.Stored("Time", "TotalTime"), "1");
}

// A lost sound is told, and the beat goes on; after the end it is only said on the terminal.
TEST_F(PracticeSessionTest, ALostSoundIsToldWhileTheBeatGoesOn) {
    Key(K::Space);
    session->SoundLost(true);
    EXPECT_EQ(session->Feedback->Last(),
              (CommandFeedback::Notice{"Sound lost: playing on silently", false}));
    session->SoundLost(false);
    EXPECT_EQ(session->Feedback->Last().Text, "The sound is back");
    EXPECT_TRUE(metron->Enable());
    session->End();
    session->SoundLost(true);
}

} // namespace
