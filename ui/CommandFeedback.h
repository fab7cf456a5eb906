#pragma once

#include "SettingsStore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the player is told about the commands whose effect does not show by itself (a store into a
// slot, a mixer level, the practice total reset), and the one step back from the last store or
// reset. Free of Qt: the window shows the notices and offers the undo, tests read them here.
//
// One level of undo: each store or reset replaces the record of the one before, an undo uses it
// up. What it puts back is exactly what the command overwrote: the settings entries as they were
// (an entry that was absent is taken out again) and, through the command's own restore, what it
// overwrote in memory.
class CommandFeedback {
public:
    struct Notice {
        std::string Text;
        // The notice stands for a store or reset that can still be undone.
        bool Undoable = false;

        bool operator==(const Notice&) const = default;
    };
    using Listener = std::function<void(const Notice&)>;

    // A settings entry as it was before a command overwrote it; no Value when it was absent.
    struct Entry {
        std::string Section;
        std::string Key;
        std::optional<std::string> Value;
    };

    explicit CommandFeedback(SettingsStore& settings);

    // Called with every notice, as it is told.
    void Listen(Listener listener);

    // Tells the player what a command did.
    void Tell(std::string text);
    // The entry as it stands, to be handed to Undoable once the command has overwritten it.
    Entry Before(std::string_view section, std::string_view key) const;
    // A store or reset: tells text and keeps what undoes it. what names it in the undo command
    // ("slot A stored" gives "Undo: slot A stored"); restore puts back what the command overwrote
    // in memory and runs before the entries are put back. Returns the record's number, for Holds.
    //
    // A store repeated at once (a third quick tap, a held key) writes what is there already: the
    // record of the store before it, of the same entries, then stays, so that the undo goes back
    // to before the first.
    uint64_t Undoable(std::string text, std::string what, std::vector<Entry> entries,
                      std::function<void()> restore = {});

    bool CanUndo() const { return record.has_value(); }
    // True while the record numbered serial is the one an undo would use.
    bool Holds(uint64_t serial) const { return record && record->Serial == serial; }
    // "Undo: slot A stored"; empty when there is nothing to undo.
    std::string UndoLabel() const;
    // Puts back what the last store or reset overwrote and tells "Undone: slot A stored". False,
    // and nothing happens, when there is nothing to undo.
    bool Undo();
    // Drops the record without undoing, when what its restore works on is released.
    void Forget();

    // The notice told last, for tests; empty before the first.
    const Notice& Last() const { return last; }

private:
    struct Record {
        uint64_t Serial = 0;
        std::string What;
        std::vector<Entry> Entries;
        std::function<void()> Restore;
    };

    void Show(Notice notice);
    // The store that entries record wrote nothing new over the current record's store.
    bool Repeats(const std::string& what, const std::vector<Entry>& entries);

    SettingsStore& settings;
    Listener listener;
    std::optional<Record> record;
    uint64_t serials = 0;
    Notice last;
};
