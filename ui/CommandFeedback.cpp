#include "CommandFeedback.h"

#include <cstddef>
#include <utility>

CommandFeedback::CommandFeedback(SettingsStore& settings)
    : settings(settings) {}

void CommandFeedback::Listen(Listener vData) {
    listener = std::move(vData);
}

void CommandFeedback::Show(Notice notice) {
    last = std::move(notice);
    if (listener) {
        listener(last);
    }
}

void CommandFeedback::Tell(std::string text) {
    Show({std::move(text), false});
}

CommandFeedback::Entry CommandFeedback::Before(std::string_view section,
                                               std::string_view key) const {
    return {std::string(section), std::string(key), settings.Find(section, key)};
}

bool CommandFeedback::Repeats(const std::string& what, const std::vector<Entry>& entries) {
    if (!record || record->What != what || entries.empty() ||
        entries.size() != record->Entries.size()) {
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries[i];
        const Entry& recorded = record->Entries[i];
        if (entry.Section != recorded.Section || entry.Key != recorded.Key ||
            settings.Find(entry.Section, entry.Key) != entry.Value) {
            return false;
        }
    }
    return true;
}

uint64_t CommandFeedback::Undoable(std::string text, std::string what, std::vector<Entry> entries,
                                   std::function<void()> restore) {
    if (!Repeats(what, entries)) {
        record = Record{++serials, std::move(what), std::move(entries), std::move(restore)};
    }
    Show({std::move(text), true});
    return record->Serial;
}

std::string CommandFeedback::UndoLabel() const {
    return record ? "Undo: " + record->What : std::string();
}

bool CommandFeedback::Undo() {
    if (!record) {
        return false;
    }
    // Taken first: a restore that tells something of its own must not find the record again.
    const Record undone = std::move(*record);
    record.reset();
    if (undone.Restore) {
        undone.Restore();
    }
    // Put back in reverse order, so that an entry written twice ends as it was before the first.
    for (auto entry = undone.Entries.rbegin(); entry != undone.Entries.rend(); ++entry) {
        if (entry->Value) {
            settings.Write(entry->Section, entry->Key, *entry->Value);
        } else {
            settings.Remove(entry->Section, entry->Key);
        }
    }
    Tell("Undone: " + undone.What);
    return true;
}

void CommandFeedback::Forget() {
    record.reset();
}
