// The main window's key handler: quick repeats of one key, which key reaches which command, and
// the window-level flows (busy export, side windows, closing with open notes). The commands'
// own flows are tested with the command classes.
#include "FormFixture.h"
#include "NotebookRecovery.h"
#include "VirtualKey.h"
#include "fakes/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// The per-user data folder for the length of a test, so that the notebook lives in folder/Pulsara
// and never among the notes of the user running the tests.
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
    int32_t Level(MixerLineType line) { return mixer.Value(line, MixerControlType::Volume); }
    fs::path Notes() const { return folder.path / "Pulsara" / "notebook.txt"; }

    TempFolder folder;
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
}

TEST_F(KeyMapTest, AnotherKeyOrAPauseOf800MillisecondsEndsTheChain) {
    Key('Q');
    Key('W');
    Key('W');
    EXPECT_EQ(form->Metron->BPM(), 35);
    Key('Q', 800);
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20);
    EXPECT_EQ(form->KeyState.PressCount, 1);
    // A key without a command, and Ctrl's own key event, break the chain as well.
    Key(VirtualKey::F10);
    Key('Q');
    Key(VirtualKey::Control, 100, VirtualKey::ControlMask);
    Key('Q', 100, VirtualKey::ControlMask);
    EXPECT_EQ(form->Metron->BPM(), 20);
    // Modifiers do not change the key.
    Key('Q', 100, VirtualKey::ShiftMask);
    EXPECT_EQ(form->Metron->BPM(), 25);
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
    EXPECT_EQ(Level(MixerLineType::Master), 30000);
    EXPECT_EQ(form->NoteBook(), nullptr);
    EXPECT_EQ(form->KeyState.LastKeyTime, before.LastKeyTime);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    form->ExportBusy = false;
    Key('Q');
    EXPECT_EQ(form->Metron->BPM(), 20) << "the busy stretch broke the chain by its length alone";
}

// ---- Which key reaches which command ----

TEST_F(KeyMapTest, EachKeyReachesItsCommand) {
    using Read = std::function<double()>;
    const Read bpm = [this] { return form->Metron->BPM(); };
    const Read master = [this] { return Level(MixerLineType::Master); };
    const Read wave = [this] { return Level(MixerLineType::Wave); };
    const Read mic = [this] { return Level(MixerLineType::Microphone); };
    const struct {
        int32_t code;
        int32_t shift;
        int presses;
        Read read;
        double expected;
    } rows[] = {
        {81, 0, 1, bpm, 20},
        {73, 0, 1, bpm, 90},
        {192, 0, 1, bpm, 100},
        {48, 0, 1, bpm, 200},
        {189, 0, 1, bpm, 210},
        {187, 0, 1, bpm, 220},
        {220, 0, 1, bpm, 230},
        {8, 0, 4, bpm, 247},
        {VirtualKey::Up, 0, 1, bpm, 125},
        {VirtualKey::Down, 0, 1, bpm, 115},
        {VirtualKey::Left, 0, 1, bpm, 119},
        {VirtualKey::Right, 0, 1, bpm, 121},
        {VirtualKey::Space, 0, 1, [this] { return form->Metron->Enable(); }, 1},
        {VirtualKey::F7, 0, 1, [this] { return form->Metron->Pause(); }, 1},
        {VirtualKey::LeftBracket, 0, 1, [this] { return form->Metron->AcelValue(); }, 3.0},
        {VirtualKey::F6, 0, 1, [this] { return form->Clock->Freeze(); }, 1},
        {VirtualKey::Insert, 0, 1, master, 30000 + 4096},
        {VirtualKey::Delete, 0, 1, master, 30000 - 4096},
        {VirtualKey::Home, 0, 1, wave, 20000 + 4096},
        {VirtualKey::End, 0, 1, wave, 20000 - 4096},
        {VirtualKey::Prior, 0, 1, mic, 10000 + 4096},
        {VirtualKey::Next, 0, 1, mic, 10000 - 4096},
        {VirtualKey::F12, 0, 1, [this] { return MicrophoneMuted(); }, 1},
        {VirtualKey::Subtract, 0, 1, [this] { return form->DisplayMode; }, 1},
        {97, 0, 1, bpm, 30},
        {'Z', 0, 2, [this] { return form->Metron->Track().Rhithm().size(); }, 15},
        {VirtualKey::ShiftKey, VirtualKey::ShiftMask, 1,
         [this] { return form->Metron->Track().Rhithm().size(); }, 31},
    };
    for (const auto& row : rows) {
        form.reset();
        SetUp();
        mixer.Value(MixerLineType::Master, MixerControlType::Volume) = 30000;
        mixer.Value(MixerLineType::Wave, MixerControlType::Volume) = 20000;
        mixer.Value(MixerLineType::Microphone, MixerControlType::Volume) = 10000;
        ticks.now += 5000;
        for (int press = 0; press < row.presses; ++press) {
            Key(row.code, 100, row.shift);
        }
        EXPECT_DOUBLE_EQ(row.read(), row.expected) << "key " << row.code;
    }
}

TEST_F(KeyMapTest, AltF4BelongsToTheWindowSystem) {
    SwitchOn();
    Tap(VirtualKey::F4, VirtualKey::AltMask);
    EXPECT_TRUE(form->Metron->Enable());
    EXPECT_TRUE(form->RhythmEntryText.empty());
}

// ---- Closing with the notebook open ----

TEST_F(KeyMapTest, ClosingStaysRefusedWhileTheNotesCannotBeSaved) {
    const DataHome home(folder.path);
    Tap(VirtualKey::F9);
    form->NoteBook()->tx.setPlainText("precious");
    // A folder where the file should be: the notes cannot be written.
    fs::create_directories(Notes());
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->Running);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Notebook");
    EXPECT_EQ(form->NoteBook()->tx.toPlainText(), "precious");
    // Once the folder can take the file, the close goes through.
    fs::remove(Notes());
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->Running);
    EXPECT_EQ(folder.Bytes("Pulsara/notebook.txt"), "\"precious\"\r\n");
}

TEST_F(KeyMapTest, AnEndRequestedByTheSystemKeepsUnsavableNotesInARecoveryFile) {
    const DataHome home(folder.path);
    Tap(VirtualKey::F9);
    form->NoteBook()->RecoveryFolder(folder.path / "config");
    form->NoteBook()->tx.setPlainText("kept");
    fs::create_directories(Notes());
    form->RequestClose(FormMain::BySystem);
    EXPECT_FALSE(form->Running);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(form->NoteBook()->isHidden()) << "an open notebook would keep the program alive";
    EXPECT_EQ(folder.Bytes("config/notebook-recovered.txt"), "\"kept\"\r\n");
    EXPECT_NE(NotebookRecovery::Notice(folder.path / "config").find("notebook-recovered.txt"),
              std::string::npos);
}

} // namespace
