// The main window's key handler: which key and which menu entry reach
// which command, and the window-level flows (busy export, closing with open notes). The commands'
// own flows are tested with the command classes.
#include "FormFixture.h"
#include "VirtualKey.h"
#include "fakes/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

namespace {

namespace fs = std::filesystem;
using K = VirtualKey;

class KeyMapTest : public FormFixture {
protected:
    void QtKey(int qtKey, bool autoRepeat, int32_t gap) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(form.get(), &press);
        ticks.now += gap;
    }
    int32_t Level(MixerLineType line) { return mixer.Value(line, MixerControlType::Volume); }
    // What the commands of the key map change, as name=value; pairs.
    std::string State() {
        const CMetronome& m = *form->Session->Metron;
        std::ostringstream s;
        s << "on=" << m.Enable() << ";bpm=" << m.BPM() << ";pause=" << m.Pause()
          << ";rate=" << m.AcelValue() << ";rhythm=" << m.Track().Rhithm()
          << ";master=" << Level(MixerLineType::Master) << ";wave=" << Level(MixerLineType::Wave)
          << ";mic=" << Level(MixerLineType::Microphone) << ";muted=" << MicrophoneMuted()
          << ";presetB=" << settings.Read("Mixer", "mixB_main", "")
          << ";memory1=" << values.TempoMemory[0] << ";last=" << values.LastSlot
          << ";slotA=" << settings.Read("Rhithm", "sav65", "")
          << ";saves=" << dialogs.fileRequests.size()
          << ";time=" << form->Session->Clock->TotalTime() + form->Session->Clock->TimeFromBegin()
          << ";frozen=" << form->Session->Clock->Freeze() << ";display=" << form->DisplayMode
          << ";list=" << (form->Windows().ListTmps() != nullptr) << ";";
        return s.str();
    }
};

// The window's key events reach the session's repeat counting, a held key's repeats as quick
// presses; the counting itself is tested with the session.
TEST_F(KeyMapTest, AHeldKeysRepeatsCountAsQuickPresses) {
    QtKey(Qt::Key_Q, false, 799);
    QtKey(Qt::Key_Q, true, 799);
    EXPECT_EQ(form->Session->Metron->BPM(), 25);
}

// Each gesture once by its keys and once by its menu entry, on a window 5 s after its start.
TEST_F(KeyMapTest, EachKeyAndItsMenuEntryReachTheCommand) {
    const struct {
        const char* entry;
        std::vector<int32_t> keys;
        const char* expected; // a part of State()
    } rows[] = {
        {"Start / stop the beat\tSpace", {K::Space}, "on=1;"},
        {"Tempo 100\t`", {K::Backquote}, "bpm=100;"},
        {"Tempo + 5\tUp", {K::Up}, "bpm=125;"},
        {"Tempo - 1\tLeft", {K::Left}, "bpm=119;"},
        {"Pause cycle on / off\tF7", {K::F7}, "pause=1;"},
        {"Accelerando, gentler\t[", {K::LeftBracket}, "rate=3;"},
        {"Master volume down\tDelete", {K::Delete}, "master=25904;"},
        {"Wave volume up\tHome", {K::Home}, "wave=24096;"},
        {"Microphone up\tPage Up", {K::Prior}, "mic=14096;"},
        {"Microphone mute on / off\tF12", {K::F12}, "muted=1;"},
        {"Store in mixer preset B\tdouble tap B", {'B', 'B'}, "presetB=30000;"},
        {"Store in tempo memory 1\tdouble tap Keypad 1", {K::Numpad1, K::Numpad1}, "memory1=120;"},
        {"Even ramp up to tempo memory 3\ttriple tap Keypad 3", {99, 99, 99}, "last=2;"},
        {"Warm-up tempo ramp\tKeypad . twice", {K::Decimal, K::Decimal}, "bpm=40;"},
        {"Rhythm in 8\tZ", {'Z'}, "rhythm=8 x'x'x'x'  ;"},
        {"Rhythm in 12, every step a main beat\tdouble tap X", {'X', 'X'}, "rhythm=12 xxx "},
        {"Store in rhythm slot A\tdouble tap A", {'A', 'A'}, "slotA=4 xxxx"},
        {"Save rhythm...\tF2", {K::F2}, "saves=1;"},
        {"Reset the practice clock\tF5 twice", {K::F5, K::F5}, "time=0;"},
        {"Freeze the practice clock\tF6", {K::F6}, "frozen=1;"},
        {"Pendulum / ball\tKeypad -", {K::Subtract}, "display=1;list=0;"},
        {"Tempo list\tKeypad - 4 times", {109, 109, 109, 109}, "list=1;"},
    };
    for (const auto& row : rows) {
        for (const bool byMenu : {false, true}) {
            SCOPED_TRACE(std::string(row.entry) + (byMenu ? " by menu" : " by key"));
            form.reset();
            FreshDevices();
            SetUp();
            ticks.now += 5000;
            if (byMenu) {
                QAction* entry = MenuEntry(row.entry);
                ASSERT_NE(entry, nullptr);
                entry->trigger();
            } else {
                for (const int32_t key : row.keys) {
                    Key(key);
                }
            }
            EXPECT_NE(State().find(row.expected), std::string::npos) << State();
        }
    }
    // A ramp needs a slot between the first one and its top.
    EXPECT_EQ(MenuEntry("Even ramp up to tempo memory 2\ttriple tap Keypad 2"), nullptr);
}

// A newcomer finds long families of commands in a submenu, the taps before the double taps.
TEST_F(KeyMapTest, MenuGroupsTheEntriesAndListsTheTapsBeforeTheDoubleTaps) {
    const auto* memory = qobject_cast<QMenu*>(MenuEntry("Tempo memory 9\tKeypad 9")->parent());
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->title(), "Tempo memory");
    const QList<QAction*> entries = memory->actions();
    ASSERT_EQ(entries.size(), 9 + 1 + 9 + 1 + 7);
    EXPECT_TRUE(entries[9]->isSeparator());
    EXPECT_EQ(entries[10]->text(), "Store in tempo memory 1\tdouble tap Keypad 1");
}

// Only the last four intervals count; a pause longer than 2 s, or none at all, starts a new series.
TEST_F(KeyMapTest, ClickingTheDigitsTapsTheTempo) {
    const std::pair<std::vector<int32_t>, int32_t> rows[] = {
        {{300, 600, 600, 600, 600}, 100},
        {{400, 2000}, 50},
        {{400, 2001, 500}, 120},
        {{0, 500}, 120},
    };
    for (const auto& [gaps, tempo] : rows) {
        SetUp();
        const QPointF digits = QRectF(form->Labels.lbBPM.rect()).center();
        for (std::size_t tap = 0; tap <= gaps.size(); ++tap) {
            ticks.now += tap == 0 ? 0 : gaps[tap - 1];
            // A quick second click comes as a double click.
            QMouseEvent click(QEvent::MouseButtonDblClick, digits,
                              form->Labels.lbBPM.mapToGlobal(digits), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form->Labels.lbBPM, &click);
        }
        EXPECT_EQ(form->Labels.lbBPM.text(), QString::number(tempo)) << gaps.size();
    }
}

// Notes that cannot be written keep the window open when the player closes it, with a warning that
// names the file; an end the system asks for cannot wait, so the notes go to a recovery file. The
// notebook's own files are tested with the notebook.
TEST_F(KeyMapTest, ClosingWithNotesThatCannotBeSaved) {
    const TempFolder folder;
    // The notebook lives in folder/Pulsara, never among the notes of the user running the tests.
    setenv("XDG_DATA_HOME", folder.path.c_str(), 1);
    // A folder where the file should be: the notes cannot be written.
    const fs::path notes = folder / "Pulsara" / "notebook.txt";
    fs::create_directories(notes);
    for (const bool bySystem : {true, false}) {
        SCOPED_TRACE(bySystem ? "by the system" : "by the player");
        SetUp();
        Key(K::F9);
        form->Windows().NoteBook()->KeepFolders({folder / "config"});
        form->Windows().NoteBook()->tx.setPlainText("precious");
        if (bySystem) {
            form->Session->RequestClose(BySystem);
        } else {
            EXPECT_FALSE(form->close());
        }
        EXPECT_EQ(form->Session->Running, !bySystem);
        EXPECT_EQ(form->Windows().NoteBook()->isHidden(), bySystem)
            << "it would keep the program alive";
    }
    EXPECT_EQ(folder.Bytes("config/notebook-recovered.txt"), "\"precious\"\r\n");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_NE(dialogs.messages.back().text.find(notes.string()), std::string::npos);
    // Once the folder can take the file, the close goes through.
    fs::remove(notes);
    EXPECT_TRUE(form->close());
}

} // namespace
