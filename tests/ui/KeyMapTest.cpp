// The main window's key handler: quick repeats of one key, and every command of the key map against
// the engine, the practice clock and the mixer (fakes), the settings store and the side windows.
#include "CTrackList.h"
#include "FormFixture.h"
#include "NotebookRecovery.h"
#include "QtSettingsStore.h"
#include "VirtualKey.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int32_t F4 = VirtualKey::F4;

// The stored form of a rhythm text, as the cursor keeps it.
std::string Stored(std::string_view text) {
    CTrackList track;
    track.Rhithm(text);
    return track.Rhithm();
}

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of its own for each test, removed afterwards.
class TempFolder {
public:
    TempFolder()
        : path(fs::temp_directory_path() /
               ("pulsara-keys-" + std::to_string(getpid()) + "-" + std::to_string(++count))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    fs::path path;

private:
    static inline int count = 0;
};

// The per-user data folder for the length of a test, so that the notebook lives in folder/Pulsara
// wherever the test is started from, and never among the notes of the user running the tests.
class DataHome {
public:
    explicit DataHome(const fs::path& folder) {
        if (const char* value = std::getenv("XDG_DATA_HOME")) {
            previous = value;
        }
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
    }
    ~DataHome() {
        if (previous) {
            setenv("XDG_DATA_HOME", previous->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
    }
    DataHome(const DataHome&) = delete;
    DataHome& operator=(const DataHome&) = delete;

private:
    std::optional<std::string> previous;
};

fs::path Notes(const fs::path& dataHome) {
    return dataHome / "Pulsara" / "notebook.txt";
}

// Closes the modal dialog that the next command opens, once its event loop runs.
void CloseNextModalDialog(std::vector<std::string>& seen) {
    QTimer::singleShot(0, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr) {
            seen.push_back(modal->windowTitle().toStdString());
            modal->close();
        }
    });
}

class KeyMapTest : public FormFixture {
protected:
    KeyMapTest() {
        mixer.AddControl(MixerLineType::Wave, MixerControlType::Volume, 0, 65535, 20000);
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Volume, 0, 65535, 10000);
    }

    // One key event, then the clock moves on by gap milliseconds.
    void Key(int32_t code, int32_t gap = 100, int32_t shift = 0) {
        form->Form_KeyDown(code, shift);
        ticks.now += gap;
    }
    // One key event well apart from the one before, so that it is a first press.
    void Tap(int32_t code, int32_t shift = 0) {
        ticks.now += 5000;
        Key(code, 100, shift);
    }

    int32_t Master() { return mixer.Value(MixerLineType::Master, MixerControlType::Volume); }
    int32_t Wave() { return mixer.Value(MixerLineType::Wave, MixerControlType::Volume); }
    int32_t Mic() { return mixer.Value(MixerLineType::Microphone, MixerControlType::Volume); }
    void Levels(int32_t master, int32_t wave, int32_t mic) {
        mixer.Value(MixerLineType::Master, MixerControlType::Volume) = master;
        mixer.Value(MixerLineType::Wave, MixerControlType::Volume) = wave;
        mixer.Value(MixerLineType::Microphone, MixerControlType::Volume) = mic;
    }
};

// ---- Quick repeats ----

TEST_F(KeyMapTest, QPressedSixTimesQuicklyWalksTheOffsets) {
    const int32_t expected[] = {20, 25, 23, 27, 20, 20};
    for (const int32_t tempo : expected) {
        // Just inside the repeat time each time: the chain lasts as long as the presses come.
        Key('Q', 799);
        EXPECT_EQ(form->Metron->BPM(), tempo);
    }
    EXPECT_EQ(form->KeyState.PressCount, 6);
    EXPECT_EQ(form->KeyState.LastKey, 81);
}

TEST_F(KeyMapTest, ARepeatNeedsTheSameKeyAsThePreviousEvent) {
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20);
    Key('W');
    EXPECT_EQ(form->Metron->BPM(), 30);
    EXPECT_EQ(form->KeyState.PressCount, 1);
    Key('W');
    EXPECT_EQ(form->Metron->BPM(), 35);
}

TEST_F(KeyMapTest, APauseOf800MillisecondsEndsTheChain) {
    Key('Q', 800);
    Key('Q', 799);
    EXPECT_EQ(form->Metron->BPM(), 20);
    EXPECT_EQ(form->KeyState.PressCount, 1);
    Key('Q', 5000);
    EXPECT_EQ(form->Metron->BPM(), 25);
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20);
}

TEST_F(KeyMapTest, AKeyWithoutACommandBreaksTheChain) {
    Key('Q');
    Key(VirtualKey::F10);
    EXPECT_EQ(form->KeyState.LastKey, VirtualKey::F10);
    EXPECT_EQ(form->Metron->BPM(), 20);
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20);
    EXPECT_EQ(form->KeyState.PressCount, 1);
    // Ctrl and Alt send key events of their own, which do nothing but break the chain as well.
    Key('Q');
    Key(VirtualKey::Control, 100, VirtualKey::ControlMask);
    Key('Q', 100, VirtualKey::ControlMask);
    EXPECT_EQ(form->Metron->BPM(), 20);
}

TEST_F(KeyMapTest, ModifiersDoNotChangeTheKey) {
    Key('Q');
    Key('Q', 100, VirtualKey::ControlMask);
    EXPECT_EQ(form->Metron->BPM(), 25);
    Key('Q', 100, VirtualKey::ShiftMask);
    EXPECT_EQ(form->Metron->BPM(), 23);
}

TEST_F(KeyMapTest, RepeatTimeCountsAcrossAWrapOfTheTickCounter) {
    ticks.now = INT32_MAX - 100;
    Key('Q', 0);
    ticks.now = INT32_MIN + 200; // 301 ms later
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 25);
    // A tick that went backwards is no quick repeat, however small the step back.
    ticks.now -= 500;
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20);
    EXPECT_EQ(form->KeyState.PressCount, 1);
}

// A tick source that moves on with every read, as a real one does while a command runs.
class SteppingTicks final : public TickSource {
public:
    int32_t GetTickCount() override {
        const int32_t tick = now;
        now += step;
        return tick;
    }
    int32_t now = 10000;
    int32_t step = 0;
};

TEST_F(KeyMapTest, TheKeyTimeIsTheTickReadAfterTheRepeatCheck) {
    SteppingTicks stepping;
    PlatformServices steppingServices{stepping, sound, settings, mixer, dialogs};
    FormMain window(steppingServices, values);
    stepping.step = 500;
    stepping.now = 20000;
    window.Form_KeyDown(VirtualKey::F10, 0); // reads 20000, then 20500
    EXPECT_EQ(window.KeyState.LastKeyTime, 20500);
    // 20500 to 21000 is a quick repeat; from the first read, 20000, it would not be.
    window.Form_KeyDown(VirtualKey::F10, 0);
    EXPECT_EQ(window.KeyState.PressCount, 2);
    EXPECT_EQ(window.KeyState.LastKeyTime, 21500);
}

TEST_F(KeyMapTest, NoKeyActsDuringAnExportAndTheKeyStateStaysAsItWas) {
    Key('Q');
    const auto before = form->KeyState;
    form->ExportBusy = true;
    for (const int32_t code : {32, 81, 87, 38, 45, 123, 16, 90, 120, 109, 122}) {
        Key(code);
    }
    EXPECT_FALSE(form->Metron->Enable());
    EXPECT_EQ(form->Metron->BPM(), 20);
    EXPECT_EQ(Master(), 30000);
    EXPECT_EQ(form->DisplayMode, 0);
    EXPECT_EQ(form->NoteBook(), nullptr);
    EXPECT_EQ(form->KeyState.LastKey, before.LastKey);
    EXPECT_EQ(form->KeyState.PressCount, before.PressCount);
    EXPECT_EQ(form->KeyState.LastKeyTime, before.LastKeyTime);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    form->ExportBusy = false;
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20) << "the busy stretch broke the chain by its length alone";
}

// ---- Engine and clock commands ----

TEST_F(KeyMapTest, SpaceStartsAndStopsTheBeat) {
    Tap(VirtualKey::Space);
    EXPECT_TRUE(form->Metron->Enable());
    Key(VirtualKey::Space);
    EXPECT_FALSE(form->Metron->Enable());
    Key(VirtualKey::Space);
    EXPECT_TRUE(form->Metron->Enable());
}

TEST_F(KeyMapTest, EveryTempoKeySetsItsBaseTempo) {
    const std::pair<int32_t, int32_t> keys[] = {
        {81, 20},   {87, 30},  {69, 40},  {82, 50},   {84, 60},   {89, 70},   {85, 80},  {73, 90},
        {192, 100}, {49, 110}, {50, 120}, {51, 130},  {52, 140},  {53, 150},  {54, 160}, {55, 170},
        {56, 180},  {57, 190}, {48, 200}, {189, 210}, {187, 220}, {220, 230}, {8, 240},
    };
    for (const auto& [code, tempo] : keys) {
        Tap(code);
        EXPECT_EQ(form->Metron->BPM(), tempo) << "key " << code;
        EXPECT_EQ(form->lbBPM.text().toInt(), tempo);
    }
    // The fourth quick press of Backspace would be 247; the engine's limit is not reached.
    Key(8);
    Key(8);
    Key(8);
    EXPECT_EQ(form->Metron->BPM(), 247);
}

TEST_F(KeyMapTest, ArrowKeysStepTheTempoAndTheEngineKeepsItInRange) {
    Tap(VirtualKey::Up);
    EXPECT_EQ(form->Metron->BPM(), 125);
    Tap(VirtualKey::Left);
    EXPECT_EQ(form->Metron->BPM(), 124);
    Tap(VirtualKey::Right);
    EXPECT_EQ(form->Metron->BPM(), 125);
    Tap(VirtualKey::Down);
    Tap(VirtualKey::Down);
    EXPECT_EQ(form->Metron->BPM(), 115);
    form->Metron->BPM(318);
    Tap(VirtualKey::Up);
    EXPECT_EQ(form->Metron->BPM(), 320);
    form->Metron->BPM(16);
    Tap(VirtualKey::Down);
    EXPECT_EQ(form->Metron->BPM(), 15);
}

TEST_F(KeyMapTest, PauseCycleAndItsLength) {
    Tap('P');
    EXPECT_EQ(form->Metron->PauseSec(), 4) << "the length changes only while the cycle is on";
    Tap(VirtualKey::F7);
    EXPECT_TRUE(form->Metron->Pause());
    Tap('P');
    Key('P');
    EXPECT_EQ(form->Metron->PauseSec(), 6);
    Tap('O');
    EXPECT_EQ(form->Metron->PauseSec(), 5);
    EXPECT_EQ(form->lbPause.text(), "5");
    Tap(VirtualKey::F7);
    EXPECT_FALSE(form->Metron->Pause());
}

TEST_F(KeyMapTest, BracketKeysStartAndBendTheAccelerandoAndF8EndsIt) {
    Tap(VirtualKey::LeftBracket);
    EXPECT_TRUE(form->Metron->Accelerando());
    EXPECT_DOUBLE_EQ(form->Metron->AcelValue(), 3.0);
    Tap(VirtualKey::LeftBracket);
    EXPECT_DOUBLE_EQ(form->Metron->AcelValue(), 3.0 / 1.2006);
    Tap(VirtualKey::RightBracket);
    Tap(VirtualKey::RightBracket);
    EXPECT_NEAR(form->Metron->AcelValue(), 3.0 * 1.2006, 1e-12);
    Tap(VirtualKey::F8);
    EXPECT_FALSE(form->Metron->Accelerando());
    Tap(VirtualKey::RightBracket);
    EXPECT_TRUE(form->Metron->Accelerando());
    EXPECT_DOUBLE_EQ(form->Metron->AcelValue(), 9.0);
}

TEST_F(KeyMapTest, F5ResetsThePracticeClockOnlyOnAQuickRepeat) {
    settings.store.Set("Time", "TotalTime", "5000");
    form = std::make_unique<FormMain>(services, values);
    ticks.now += 60000;
    ASSERT_EQ(form->Clock->TotalTime(), 5000);
    Tap(VirtualKey::F5);
    EXPECT_EQ(form->Clock->TotalTime(), 5000);
    EXPECT_EQ(form->Clock->TimeFromBegin(), 65);
    Key(VirtualKey::F5);
    EXPECT_EQ(form->Clock->TotalTime(), 0);
    EXPECT_EQ(form->Clock->TimeFromBegin(), 0);
}

TEST_F(KeyMapTest, F6FreezesAndResumesThePracticeClock) {
    Tap(VirtualKey::F6); // five seconds into the run
    EXPECT_TRUE(form->Clock->Freeze());
    ticks.now += 30000;
    Key(VirtualKey::F6);
    EXPECT_FALSE(form->Clock->Freeze());
    // The frozen half minute does not count.
    EXPECT_EQ(form->Clock->TimeFromBegin(), 5);
}

// ---- Mixer ----

TEST_F(KeyMapTest, NavigationBlockStepsTheThreeLevelsWithoutALimit) {
    Tap(VirtualKey::Insert);
    EXPECT_EQ(Master(), 30000 + 4096);
    Tap(VirtualKey::Delete);
    Tap(VirtualKey::Delete);
    EXPECT_EQ(Master(), 30000 - 4096);
    Tap(VirtualKey::Home);
    EXPECT_EQ(Wave(), 20000 + 4096);
    Tap(VirtualKey::End);
    Key(VirtualKey::End);
    EXPECT_EQ(Wave(), 20000 - 4096);
    Tap(VirtualKey::Prior);
    EXPECT_EQ(Mic(), 10000 + 4096);
    Tap(VirtualKey::Next);
    Tap(VirtualKey::Next);
    Tap(VirtualKey::Next);
    EXPECT_EQ(Mic(), 10000 - 2 * 4096);
    // No limit of the key handler's own: the level goes where the mixer lets it.
    Levels(65000, 0, 0);
    Tap(VirtualKey::Insert);
    EXPECT_EQ(Master(), 65000 + 4096);
}

TEST_F(KeyMapTest, F12TogglesTheMicrophoneMute) {
    ASSERT_FALSE(MicrophoneMuted());
    Tap(VirtualKey::F12);
    EXPECT_TRUE(MicrophoneMuted());
    Key(VirtualKey::F12);
    EXPECT_FALSE(MicrophoneMuted());
}

TEST_F(KeyMapTest, PresetKeysRecallOnATapAndStoreTheEarlierLevelsOnARepeat) {
    const std::pair<int32_t, std::string> keys[] = {{'B', "B"}, {'N', "N"}, {'M', "M"},
                                                    {188, "<"}, {190, ">"}, {191, "/"}};
    int32_t level = 1000;
    for (const auto& [code, name] : keys) {
        Levels(level, level + 1, level + 2);
        // A preset never stored changes nothing.
        Tap(code);
        EXPECT_EQ(Master(), level) << name;
        Key(code);
        EXPECT_EQ(settings.store.Stored("Mixer", "mix" + name + "_main"), std::to_string(level));
        EXPECT_EQ(settings.store.Stored("Mixer", "mix" + name + "_wave"),
                  std::to_string(level + 1));
        EXPECT_EQ(settings.store.Stored("Mixer", "mix" + name + "_mic"), std::to_string(level + 2));
        level += 1000;
    }
    EXPECT_EQ(settings.store.values.size(), 18u + 0u) << "three entries per preset and no more";
    Levels(0, 0, 0);
    Tap(188);
    EXPECT_EQ(Master(), 4000);
    EXPECT_EQ(Wave(), 4001);
    EXPECT_EQ(Mic(), 4002);
}

TEST_F(KeyMapTest, APresetWithoutAWaveEntryLeavesTheWaveLevelAlone) {
    settings.store.Set("Mixer", "mixN_main", "111");
    settings.store.Set("Mixer", "mixN_mic", "-222");
    Tap('N');
    EXPECT_EQ(Master(), 111);
    EXPECT_EQ(Wave(), 20000);
    EXPECT_EQ(Mic(), -222);
}

TEST_F(KeyMapTest, PresetsSurviveInTheSettingsFile) {
    TempFolder folder;
    const std::string file = (folder.path / "Pulsara.conf").string();
    {
        QtSettingsStore store(file);
        PlatformServices fileServices{ticks, sound, store, mixer, dialogs};
        FormMain window(fileServices, values);
        Levels(7000, 8000, 9000);
        window.Form_KeyDown('M', 0);
        Levels(1, 2, 3); // what the tap recalled does not matter to the store
        window.Form_KeyDown('M', 0);
        EXPECT_EQ(Master(), 7000);
        EXPECT_EQ(Wave(), 8000);
        EXPECT_EQ(Mic(), 9000);
        ticks.now += 5000;
        window.Form_KeyDown(VirtualKey::Slash, 0);
        window.Form_KeyDown(VirtualKey::Slash, 0);
    }
    Levels(0, 0, 0);
    QtSettingsStore reopened(file);
    EXPECT_EQ(reopened.Read("Mixer", "mixM_main", ""), "7000");
    EXPECT_EQ(reopened.Read("Mixer", "mix/_wave", ""), "8000");
    PlatformServices laterRun{ticks, sound, reopened, mixer, dialogs};
    FormMain window(laterRun, values);
    ticks.now += 5000;
    window.Form_KeyDown('M', 0);
    EXPECT_EQ(Master(), 7000);
    EXPECT_EQ(Wave(), 8000);
    EXPECT_EQ(Mic(), 9000);
}

// ---- The keypad, rhythm and export flows ----

TEST_F(KeyMapTest, KeypadKeysDriveTheTempoMemory) {
    Tap(97);
    EXPECT_EQ(form->Metron->BPM(), 30);
    Tap(105);
    EXPECT_EQ(form->Metron->BPM(), 70);
    // From slot 8, the last of the series, keypad plus wraps to slot 0.
    Tap(107);
    EXPECT_EQ(form->Metron->BPM(), 30);
    EXPECT_EQ(values.CurSlot, 0);
    // A double tap of keypad 5 stores the tempo it came from.
    Tap(VirtualKey::Right); // 31
    Tap(101);
    Key(101);
    EXPECT_EQ(values.TempoMemory[4], 31);
    // The warm-up series acts on a repeat only.
    form->Metron->BPM(120);
    Tap(110);
    EXPECT_EQ(form->Metron->BPM(), 120);
    Key(110);
    EXPECT_EQ(form->Metron->BPM(), 40);
    EXPECT_EQ(values.TempoMemory, (std::array<int32_t, 9>{40, 52, 56, 60, 62, 69, 81, 98, 120}));
}

TEST_F(KeyMapTest, KeypadZeroStopsTheBeatAndOpensTheTempoGrowthDialog) {
    std::vector<std::string> opened;
    SwitchOn();
    CloseNextModalDialog(opened);
    Tap(96);
    EXPECT_EQ(opened, std::vector<std::string>{"Set Tempo Growth"});
    EXPECT_FALSE(form->Metron->Enable());
}

TEST_F(KeyMapTest, RhythmKeysSetPresetsDefaultAndSlots) {
    Tap('Z');
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("8 x'x'x'x'"));
    Key('Z');
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("8 xx xx xx xx"));
    Tap('V');
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("24 x'''''x'''''x'''''x'''''"));
    Tap(VirtualKey::ShiftKey, VirtualKey::ShiftMask);
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("4 xxxx (xxxx xxxx xxxx xxxx)0"));
    // A double tap of A stores the rhythm in effect in slot "sav65".
    Tap('C');
    Tap('A');
    Key('A');
    EXPECT_EQ(settings.store.Stored("Rhithm", "sav65"), Stored("16 x'''x'''x'''x'''"));
    Tap('X');
    Tap('A');
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("16 x'''x'''x'''x'''"));
}

TEST_F(KeyMapTest, F2AndF3SaveAndOpenRhythmFiles) {
    TempFolder folder;
    const fs::path file = folder.path / "groove.rtm";
    form->Metron->Track().Rhithm("8 x'x' #^#^");
    dialogs.answers = {file.string(), file.string()};
    SwitchOn();
    Tap(VirtualKey::F2);
    EXPECT_FALSE(form->Metron->Enable());
    EXPECT_EQ(ReadAll(file), "\"" + Stored("8 x'x' #^#^") + "\"\r\n");
    Tap('Z');
    Tap(VirtualKey::F3);
    EXPECT_EQ(form->Metron->Track().Rhithm(), Stored("8 x'x' #^#^"));
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_FALSE(dialogs.fileRequests[1].save);
}

TEST_F(KeyMapTest, F4OpensTheRhythmEntryExceptWithAltAlone) {
    std::vector<std::string> opened;
    SwitchOn();
    Tap(F4, VirtualKey::AltMask);
    EXPECT_TRUE(form->Metron->Enable()) << "Alt+F4 belongs to the window system";
    EXPECT_TRUE(form->RhythmEntryText.empty());
    for (const int32_t shift : {0, VirtualKey::ShiftMask, VirtualKey::ControlMask,
                                VirtualKey::AltMask | VirtualKey::ShiftMask}) {
        SwitchOn();
        CloseNextModalDialog(opened);
        Tap(F4, shift);
        EXPECT_FALSE(form->Metron->Enable()) << "mask " << shift;
    }
    EXPECT_EQ(opened, std::vector<std::string>(4, "Enter Rhithm"));
    EXPECT_EQ(form->RhythmEntryText, form->Metron->Track().Rhithm());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(KeyMapTest, F11ExportsWhileKeysAreTurnedAway) {
    TempFolder folder;
    const fs::path file = folder.path / "take.wav";
    dialogs.answers = {file.string()};
    form->Metron->Track().Rhithm("8 x'x'x'x'");
    bool busyDuringExport = false;
    bool noticeShown = false;
    // Keys that arrive while the export renders reach the handler through the window's events.
    QMetaObject::invokeMethod(
        form.get(),
        [&] {
            busyDuringExport = form->ExportBusy;
            noticeShown = !form->lbWave.isHidden() && !form->lbProgress.isHidden();
            form->Form_KeyDown(VirtualKey::Space, 0);
            form->Form_KeyDown('Q', 0);
        },
        Qt::QueuedConnection);
    Tap(VirtualKey::F11);
    EXPECT_TRUE(busyDuringExport) << "the export let no window events through";
    EXPECT_TRUE(noticeShown);
    EXPECT_TRUE(fs::file_size(file) > 44);
    EXPECT_FALSE(form->ExportBusy);
    EXPECT_TRUE(form->lbWave.isHidden());
    EXPECT_TRUE(form->lbProgress.isHidden());
    EXPECT_FALSE(form->Metron->Enable());
    EXPECT_EQ(form->Metron->BPM(), 120);
    EXPECT_EQ(form->KeyState.LastKey, VirtualKey::F11);
}

// ---- Help page and side windows ----

TEST_F(KeyMapTest, F1AsksTheDesktopToShowTheHelpPageAndIgnoresAMissingOne) {
    TempFolder folder;
    std::vector<fs::path> requests;
    form->OpenDocument = [&requests](const fs::path& page) { requests.push_back(page); };
    form->HelpPage = folder.path / "Help.htm";
    Tap(VirtualKey::F1);
    EXPECT_TRUE(requests.empty());
    std::ofstream(form->HelpPage) << "<html></html>";
    Tap(VirtualKey::F1);
    EXPECT_EQ(requests, std::vector<fs::path>{folder.path / "Help.htm"});
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(KeyMapTest, HelpPageLiesBesideTheProgram) {
    EXPECT_EQ(form->HelpPage.filename(), "Help.htm");
    EXPECT_TRUE(fs::is_regular_file(form->HelpPage)) << form->HelpPage;
}

TEST_F(KeyMapTest, F9OpensTheNotebookModelessAndOnlyOnce) {
    TempFolder folder;
    const DataHome home(folder.path);
    // Found in the data folder, though the program was started from another folder.
    fs::create_directories(Notes(folder.path).parent_path());
    std::ofstream(Notes(folder.path), std::ios::binary) << "\"scales at 90\"\r\n";
    Tap(VirtualKey::F9);
    frmNoteBook* notebook = form->NoteBook();
    ASSERT_NE(notebook, nullptr);
    EXPECT_FALSE(notebook->isHidden());
    EXPECT_FALSE(notebook->isModal());
    EXPECT_EQ(notebook->windowTitle(), "Notebook");
    EXPECT_EQ(notebook->tx.toPlainText(), "scales at 90");
    // The key handler went on at once; the window takes keys while the notebook is open.
    Tap('W');
    EXPECT_EQ(form->Metron->BPM(), 30);
    notebook->tx.setPlainText("scales at 95");
    Tap(VirtualKey::F9);
    EXPECT_EQ(form->NoteBook(), notebook) << "a second notebook would overwrite the first's notes";
    EXPECT_EQ(notebook->tx.toPlainText(), "scales at 95");
    ASSERT_TRUE(notebook->close());
    EXPECT_EQ(ReadAll(Notes(folder.path)), "\"scales at 95\"\r\n");
    // Opened again, a fresh notebook reads the file.
    Tap(VirtualKey::F9);
    ASSERT_NE(form->NoteBook(), nullptr);
    EXPECT_FALSE(form->NoteBook()->isHidden());
    EXPECT_EQ(form->NoteBook()->tx.toPlainText(), "scales at 95");
    form->NoteBook()->close();
}

TEST_F(KeyMapTest, KeypadMinusTogglesTheDisplayAndTheFourthQuickPressOpensTheTempoList) {
    Tap(VirtualKey::Subtract);
    EXPECT_EQ(form->DisplayMode, 1);
    EXPECT_FALSE(form->Display.picBall.isHidden());
    EXPECT_FALSE(form->Display.imMetronome.Visible);
    EXPECT_FALSE(form->Display.LineMetr.Visible);
    EXPECT_FALSE(form->Display.shMetr.Visible);
    Key(VirtualKey::Subtract);
    EXPECT_EQ(form->DisplayMode, 0);
    EXPECT_TRUE(form->Display.picBall.isHidden());
    EXPECT_TRUE(form->Display.imMetronome.Visible);
    Key(VirtualKey::Subtract);
    EXPECT_EQ(form->ListTmps(), nullptr);
    Key(VirtualKey::Subtract);
    EXPECT_EQ(form->DisplayMode, 0) << "four toggles end in the mode the display started in";
    frmListTmps* list = form->ListTmps();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isHidden());
    EXPECT_FALSE(list->isModal());
    EXPECT_EQ(list->windowTitle(), "List of Tempos");
    Key(VirtualKey::Subtract);
    EXPECT_EQ(form->DisplayMode, 1);
    EXPECT_EQ(form->ListTmps(), list);
    list->close();
    // Four quick presses again open it again.
    Tap(VirtualKey::Subtract);
    Key(VirtualKey::Subtract);
    Key(VirtualKey::Subtract);
    EXPECT_TRUE(form->ListTmps()->isHidden());
    Key(VirtualKey::Subtract);
    EXPECT_FALSE(form->ListTmps()->isHidden());
}

TEST_F(KeyMapTest, ClosingTheWindowSavesTheOpenNotebookFirst) {
    TempFolder folder;
    const DataHome home(folder.path);
    Tap(VirtualKey::F9);
    form->NoteBook()->tx.setPlainText("two \"quoted\" words\nand a second line");
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Running);
    EXPECT_TRUE(form->NoteBook()->isHidden());
    // The notebook's own format; what matters here is that the notes were written at the close.
    const std::string stored = ReadAll(Notes(folder.path));
    EXPECT_NE(stored.find("and a second line"), std::string::npos) << stored;
}

TEST_F(KeyMapTest, ClosingStaysRefusedWhileTheNotesCannotBeSaved) {
    TempFolder folder;
    const DataHome home(folder.path);
    Tap(VirtualKey::F9);
    form->NoteBook()->tx.setPlainText("precious");
    // A folder where the file should be: the notes cannot be written.
    fs::create_directory(Notes(folder.path));
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->Running);
    ASSERT_NE(form->Metron, nullptr);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Notebook");
    EXPECT_FALSE(form->NoteBook()->isHidden());
    EXPECT_EQ(form->NoteBook()->tx.toPlainText(), "precious");
    // Once the folder can take the file, the close goes through.
    fs::remove(Notes(folder.path));
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Running);
    EXPECT_EQ(ReadAll(Notes(folder.path)), "\"precious\"\r\n");
}

TEST_F(KeyMapTest, AnEndRequestedByTheSystemKeepsUnsavableNotesInARecoveryFile) {
    TempFolder folder;
    const DataHome home(folder.path);
    Tap(VirtualKey::F9);
    form->NoteBook()->RecoveryFolder(folder.path / "config");
    form->NoteBook()->tx.setPlainText("kept");
    fs::create_directory(Notes(folder.path));
    form->RequestClose(FormMain::BySystem);
    EXPECT_FALSE(form->Running);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(form->NoteBook()->isHidden()) << "an open notebook would keep the program alive";
    EXPECT_EQ(ReadAll(folder.path / "config/notebook-recovered.txt"), "\"kept\"\r\n");
    EXPECT_NE(NotebookRecovery::Notice(folder.path / "config").find("notebook-recovered.txt"),
              std::string::npos);
}

} // namespace
