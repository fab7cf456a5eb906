// The commands beyond the key map: the menu of all commands against the keys it names, tapping the
// tempo on its digits, and the typed tempo.
#include "FormFixture.h"
#include "VirtualKey.h"
#include "frmTempo.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <sstream>
#include <vector>

namespace {

using K = VirtualKey;

// A window of its own with its own fakes, so that a gesture by key and one by menu start equal.
struct Rig {
    Rig() {
        mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 30000);
        mixer.AddControl(MixerLineType::Wave, MixerControlType::Volume, 0, 65535, 20000);
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Volume, 0, 65535, 10000);
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
        settings.Set("Mixer", "mixB_main", "1000");
        form = std::make_unique<FormMain>(services, values);
        // The beat on, tempo 150, a preset rhythm: every command then has something to change.
        for (const int32_t key : {K::Space, int32_t{'5'}, int32_t{'Z'}}) {
            Press(key, 1000);
        }
    }
    void Press(int32_t key, int32_t gap = 100) {
        form->Form_KeyDown(key, 0);
        ticks.now += gap;
    }
    std::string State() {
        const CMetronome& m = *form->Metron;
        std::ostringstream s;
        s << m.BPM() << ' ' << m.Enable() << ' ' << m.Pause() << ' ' << m.PauseSec() << ' '
          << m.Accelerando() << ' ' << m.AcelValue() << ' ' << m.Track().Rhithm() << ' '
          << form->DisplayMode << ' ' << (form->ListTmps() != nullptr) << ' '
          << form->Clock->TotalTime() + form->Clock->TimeFromBegin() << ' ' << values.CurSlot << ' '
          << values.LastSlot << " |";
        for (const int32_t tempo : values.TempoMemory) {
            s << ' ' << tempo;
        }
        for (const auto line :
             {MixerLineType::Master, MixerLineType::Wave, MixerLineType::Microphone}) {
            s << ' ' << mixer.Value(line, MixerControlType::Volume);
        }
        s << " |";
        for (const auto& [key, value] : settings.values) {
            if (key.first != "Time") {
                s << ' ' << key.second << '=' << value;
            }
        }
        return s.str();
    }

    ManualTickSource ticks{1000};
    RecordingSoundOutput sound;
    FakeMixerDevice mixer;
    MemorySettingsStore settings;
    ScriptedDialogs dialogs;
    TempoMemoryState values;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    std::unique_ptr<FormMain> form;
};

QAction* Entry(FormMain& form, const QString& text) {
    for (QAction* action : form.Commands().Menu().findChildren<QAction*>()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

class CommandMenuTest : public FormFixture {};

} // namespace

TEST(CommandMenu, EachEntryDoesWhatItsKeysDo) {
    const std::vector<std::pair<const char*, std::vector<int32_t>>> rows{
        {"Start / stop the beat\tSpace", {K::Space}},
        {"Tempo 20\tQ", {'Q'}},
        {"Mixer preset B\tB", {'B'}},
        {"Store in mixer preset B\tdouble tap B", {'B', 'B'}},
        {"Store in tempo memory 1\tdouble tap Keypad 1", {K::Numpad1, K::Numpad1}},
        {"Even ramp up to tempo memory 5\ttriple tap Keypad 5",
         {K::Numpad1 + 4, K::Numpad1 + 4, K::Numpad1 + 4}},
        {"Warm-up tempo ramp\tKeypad . twice", {K::Decimal, K::Decimal}},
        {"Last rhythm from a file\tdouble tap Shift", {K::ShiftKey, K::ShiftKey}},
        {"Rhythm in 12, every step a main beat\tdouble tap X", {'X', 'X'}},
        {"Store in rhythm slot A\tdouble tap A", {'A', 'A'}},
        {"Reset the practice clock\tF5 twice", {K::F5, K::F5}},
        {"Tempo list\tKeypad - 4 times", {K::Subtract, K::Subtract, K::Subtract, K::Subtract}},
    };
    EXPECT_EQ(Rig().form->toolTip(),
              QString::fromUtf8("Space: start / stop · F1: help · right-click: all commands"));
    for (const auto& [text, keys] : rows) {
        SCOPED_TRACE(text);
        Rig untouched;
        Rig byKey;
        Rig byMenu;
        for (const int32_t key : keys) {
            byKey.Press(key);
        }
        QAction* entry = Entry(*byMenu.form, QString::fromUtf8(text));
        ASSERT_NE(entry, nullptr);
        entry->trigger();
        EXPECT_NE(byKey.State(), untouched.State());
        EXPECT_EQ(byMenu.State(), byKey.State());
    }
}

TEST_F(CommandMenuTest, ClickingTheDigitsTapsTheTempo) {
    struct Row {
        const char* name;
        std::vector<int32_t> gaps; // milliseconds between the taps
        int32_t tempo;
    };
    const std::vector<Row> rows{
        {"one tap changes nothing", {}, 120},
        {"two taps", {400}, 150},
        {"fewer than four intervals", {400, 500}, 133},
        {"five taps", {300, 600, 600, 600}, 114},
        {"only the last four intervals count", {300, 600, 600, 600, 600}, 100},
        {"a pause of 2 s still continues", {400, 2000}, 50},
        {"a longer pause starts anew", {400, 2001, 500}, 120},
        {"the engine's range", {100, 100}, 320},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        const QPointF digits = QRectF(form->lbBPM.rect()).center();
        const auto click = [&] {
            // A quick second click comes as a double click.
            QMouseEvent press(QEvent::MouseButtonDblClick, digits, form->lbBPM.mapToGlobal(digits),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&form->lbBPM, &press);
        };
        click();
        for (const int32_t gap : row.gaps) {
            ticks.now += gap;
            click();
        }
        EXPECT_EQ(form->Metron->BPM(), row.tempo);
        EXPECT_EQ(form->lbBPM.text(), QString::number(row.tempo));
    }
}

TEST_F(CommandMenuTest, TypedTempoStopsTheBeatAndKeepsToTheTempoRange) {
    struct Row {
        const char* typed;
        bool ok;
        int32_t tempo;
    };
    for (const Row& row : {Row{"999", true, 320}, Row{"5", true, 15}, Row{"200", false, 120}}) {
        SCOPED_TRACE(row.typed);
        SetUp();
        SwitchOn();
        QTimer::singleShot(0, [&row] {
            auto* dialog = dynamic_cast<frmTempo*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* field = dialog->txBPM.findChild<QLineEdit*>();
            field->selectAll();
            for (const QChar digit : QString::fromUtf8(row.typed)) {
                QKeyEvent key(QEvent::KeyPress, Qt::Key_0 + digit.digitValue(), Qt::NoModifier,
                              QString(digit));
                QApplication::sendEvent(field, &key);
            }
            (row.ok ? dialog->cmOK : dialog->cmCancel).click();
        });
        Entry(*form, QStringLiteral("Set tempo…"))->trigger();
        EXPECT_FALSE(form->Metron->Enable());
        EXPECT_EQ(form->Metron->BPM(), row.tempo);
    }
}
