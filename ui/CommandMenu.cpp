#include "CommandMenu.h"

#include <QAction>
#include <QWidget>
#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>

namespace {

using C = KeyCommand;

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The gestures of a key beyond its first press, where they do something of their own. Action holds
// the single press's label as %1, in lower case where Lower says so.
struct Repeat {
    KeyCommand Command;
    int32_t Presses;
    const char* Action;
    bool Lower;
    int32_t FromArgument; // only the rows whose argument is at least this
};

constexpr std::array Repeats{
    Repeat{C::TempoSlot, 2, "Store in %1", true, 0},
    // A ramp needs a slot between the first one and its top.
    Repeat{C::TempoSlot, 3, "Even ramp up to %1", true, 2},
    Repeat{C::DefaultRhythm, 2, "Last rhythm from a file", false, 0},
    Repeat{C::RhythmPreset, 2, "%1, every step a main beat", false, 0},
    Repeat{C::RhythmSlot, 2, "Store in %1", true, 0},
    Repeat{C::MixerPreset, 2, "Store in %1", true, 0},
};

QString Gesture(int32_t presses, const QString& key) {
    return (presses == 2 ? QStringLiteral("double tap %1") : QStringLiteral("triple tap %1"))
        .arg(key);
}

// How many presses the row's own label stands for: its repeat count where it has one; two for the
// commands that act on a repeat only.
int32_t FirstPresses(const KeyBinding& row) {
    if (row.Presses != KeyTable::AnyPresses) {
        return row.Presses;
    }
    return row.Command == C::WarmUpRamp || row.Command == C::ResetClock ? 2 : 1;
}

// Long families of entries get a submenu of their own within their group.
const char* FamilyName(KeyCommand command) {
    switch (command) {
    case C::SetTempo:
        return "Tempo scale";
    case C::TempoSlot:
        return "Tempo memory";
    case C::RhythmPreset:
        return "Rhythm presets";
    case C::RhythmSlot:
        return "Rhythm slots";
    case C::MixerPreset:
        return "Mixer presets";
    default:
        return nullptr;
    }
}

constexpr std::array<std::pair<CommandMenu::Group, const char*>, 6> GroupNames{{
    {CommandMenu::Group::Beat, "Beat"},
    {CommandMenu::Group::Tempo, "Tempo"},
    {CommandMenu::Group::Rhythm, "Rhythm"},
    {CommandMenu::Group::Mixer, "Mixer"},
    {CommandMenu::Group::Tools, "Tools"},
    {CommandMenu::Group::Help, "Help"},
}};

} // namespace

std::vector<CommandMenu::KeyEntry> CommandMenu::KeyEntries() {
    std::vector<KeyEntry> entries;
    // The repeats of a run of rows with one command follow the run, double taps before triple taps.
    std::vector<KeyEntry> repeats;
    const auto flush = [&] {
        std::stable_sort(repeats.begin(), repeats.end(), [](const KeyEntry& a, const KeyEntry& b) {
            return a.Presses < b.Presses;
        });
        entries.insert(entries.end(), repeats.begin(), repeats.end());
        repeats.clear();
    };
    for (const KeyBinding& row : KeyTable::Entries()) {
        if (!repeats.empty() && repeats.back().Command != row.Command) {
            flush();
        }
        // Left to the window system.
        if (row.Command == C::None) {
            continue;
        }
        const QString label = Text(row.Label);
        const QString key = Text(row.KeyLabel);
        entries.push_back({row.KeyCode, FirstPresses(row), row.Command, label, key});
        for (const Repeat& repeat : Repeats) {
            if (repeat.Command != row.Command || row.Argument < repeat.FromArgument) {
                continue;
            }
            const QString named = repeat.Lower ? label.left(1).toLower() + label.mid(1) : label;
            repeats.push_back(
                {row.KeyCode, repeat.Presses, row.Command,
                 QString::fromUtf8(repeat.Action).replace(QStringLiteral("%1"), named),
                 Gesture(repeat.Presses, key)});
        }
    }
    flush();
    return entries;
}

CommandMenu::CommandMenu(Commands menuCommands, QWidget* parent)
    : commands(std::move(menuCommands))
    , menu(parent) {
    undo = menu.addAction(QString());
    QObject::connect(undo, &QAction::triggered, &menu, [this] {
        if (commands.Undo) {
            commands.Undo();
        }
    });
    undoSeparator = menu.addSeparator();
    ShowUndo(QString());
    for (const auto& [group, name] : GroupNames) {
        groups[group] = menu.addMenu(QString::fromUtf8(name));
    }
    for (const KeyEntry& entry : KeyEntries()) {
        QMenu& into = Submenu(entry);
        const QList<QAction*> before = into.actions();
        if (!before.isEmpty() && before.back()->data().toInt() != entry.Presses &&
            FamilyName(entry.Command) != nullptr) {
            into.addSeparator();
        }
        // The key shows in the menu's shortcut column; it is no shortcut of the menu's own, so
        // that the key handler alone decides what a key does.
        QAction* action = into.addAction(entry.Label + QLatin1Char('\t') + entry.KeyLabel);
        action->setData(entry.Presses);
        QObject::connect(action, &QAction::triggered, &menu,
                         [this, code = entry.KeyCode, presses = entry.Presses] {
                             commands.PressKey(code, presses);
                         });
    }
    QMenu& tempo = *groups[Group::Tempo];
    tempo.addSeparator();
    QObject::connect(tempo.addAction(QStringLiteral("Tap tempo (click the digits)")),
                     &QAction::triggered, &menu, [this] { commands.TapTempo(); });
    QObject::connect(tempo.addAction(QStringLiteral("Set tempo…")), &QAction::triggered, &menu,
                     [this] { commands.SetTempo(); });
    QObject::connect(groups[Group::Tools]->addAction(QStringLiteral("Practice journal")),
                     &QAction::triggered, &menu, [this] { commands.Journal(); });
    AddZoom(*groups[Group::Tools]);
}

QMenu& CommandMenu::Submenu(const KeyEntry& entry) {
    QMenu& group = *groups[KeyTable::GroupOf(entry.Command)];
    const char* family = FamilyName(entry.Command);
    if (family == nullptr) {
        return group;
    }
    QMenu*& submenu = families[entry.Command];
    if (submenu == nullptr) {
        submenu = group.addMenu(QString::fromUtf8(family));
    }
    return *submenu;
}

void CommandMenu::AddZoom(QMenu& tools) {
    tools.addSeparator();
    QMenu& zoom = *tools.addMenu(QStringLiteral("Zoom"));
    zoomSteps = std::make_unique<QActionGroup>(nullptr);
    for (const int32_t percent : {100, 150, 200, 300}) {
        QAction* action = zoom.addAction(QStringLiteral("%1 %").arg(percent));
        action->setCheckable(true);
        action->setData(percent);
        zoomSteps->addAction(action);
        QObject::connect(action, &QAction::triggered, &menu,
                         [this, percent] { commands.Zoom(percent); });
    }
}

void CommandMenu::ShowZoom(int32_t percent) {
    for (QAction* action : zoomSteps->actions()) {
        action->setChecked(action->data().toInt() == percent);
    }
}

void CommandMenu::ShowUndo(const QString& label) {
    undo->setText(label);
    undo->setVisible(!label.isEmpty());
    undoSeparator->setVisible(!label.isEmpty());
}
