#pragma once

#include "KeyTable.h"

#include <QActionGroup>
#include <QMenu>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QWidget;

// The menu of every command of the main window, opened with a right click, so that a newcomer
// finds what the keys do. Each entry shows its key and does what the key does: it presses the key
// as often as the key's gesture asks (a tap recalls, a quick double tap stores). The commands
// that have no key (tap tempo, a typed tempo, the zoom) are offered beside them, and above them
// all the undo of the last store or reset, while there is one.
class CommandMenu {
public:
    struct Commands {
        // Presses the key Presses times in quick succession.
        std::function<void(int32_t KeyCode, int32_t Presses)> PressKey;
        std::function<void()> TapTempo;
        std::function<void()> SetTempo;
        std::function<void(int32_t percent)> Zoom;
        // Undoes the last store or reset.
        std::function<void()> Undo;
        std::function<void()> Journal;
    };

    using Group = CommandGroup;

    // An entry that presses a key: the key map's row, the presses of its gesture, and the texts.
    struct KeyEntry {
        int32_t KeyCode;
        int32_t Presses;
        KeyCommand Command;
        QString Label;
        QString KeyLabel;
    };

    CommandMenu(Commands commands, QWidget* parent);

    QMenu& Menu() { return menu; }
    // Marks the zoom in effect.
    void ShowZoom(int32_t percent);
    // The undo entry at the top of the menu ("Undo: slot A stored"); an empty label hides it.
    void ShowUndo(const QString& label);
    QAction& UndoEntry() { return *undo; }

    // Every gesture of the key map that does something a single press does not.
    static std::vector<KeyEntry> KeyEntries();

private:
    QMenu& Submenu(const KeyEntry& entry);
    void AddZoom(QMenu& tools);

    Commands commands;
    QMenu menu;
    std::map<Group, QMenu*> groups;
    std::map<KeyCommand, QMenu*> families;
    std::unique_ptr<QActionGroup> zoomSteps;
    QAction* undo = nullptr;
    QAction* undoSeparator = nullptr;
};
