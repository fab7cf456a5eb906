#pragma once

#include "SettingsStore.h"

#include <QSettings>
#include <map>
#include <optional>
#include <string>
#include <utility>

// The settings store over QSettings in its native Linux format: one INI file per user at
// $XDG_CONFIG_HOME/Pulsara/Pulsara.conf (~/.config/Pulsara/Pulsara.conf without the variable),
// sections as groups. Every write is synced at once; QSettings replaces the file through a
// temporary file and a rename, so a crash leaves either the old file or the new one, never half of
// one. A file that QSettings cannot parse, or that is not UTF-8, would lose what it could not read
// at the next write: it is renamed to "<name>.unreadable" beside itself before it is read, and the
// store starts empty.
class QtSettingsStore final : public SettingsStore {
public:
    // The user's file for organisation and application "Pulsara".
    QtSettingsStore();
    // Any other file, for a second profile or a test.
    explicit QtSettingsStore(const std::string& filePath);

    // Where the user's file lies, as the XDG environment says now. QSettings would fix its own
    // idea of this folder for the whole process at first use.
    static std::string DefaultPath();

    std::string FilePath() const;

    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) override;
    void Write(std::string_view section, std::string_view key, std::string_view value) override;
    void Remove(std::string_view section, std::string_view key) override;
    std::optional<std::string> Find(std::string_view section, std::string_view key) override;
    // Re-reads the file for the change, and takes turns with other runs of the program.
    std::string Update(std::string_view section, std::string_view key,
                       std::string_view defaultValue, const Change& change) override;
    bool WriteFailed() override;

    // Where the file that could not be read was put at creation; nothing when it was read.
    const std::optional<std::string>& KeptAside() const { return keptAside; }
    // Copies the file as it is now to "<name>.<why>" beside it (with a number where that is
    // taken by another copy), so that a value that cannot be read is not lost when it is replaced.
    // The copy's name, an earlier copy's when it holds the same, or nothing when there is no file
    // or it cannot be copied.
    std::optional<std::string> KeepCopy(std::string_view why);
    // The file holds the key, whether or not its value can be read.
    bool Holds(std::string_view section, std::string_view key) const;
    // False when it is already known that writes will not be kept: the file or its folder is
    // read-only, or something else stands in the file's place.
    bool CanWrite() const;

    // Every value of the file by section and key, as Read gives them.
    using Values = std::map<std::pair<std::string, std::string>, std::string>;
    Values Entries();

private:
    // Synced only by the writes themselves. QSettings also syncs when an event that each change
    // posts reaches it on the thread that created it, which is not the thread that writes when
    // the writes are handed to a thread of their own.
    class ExplicitSettings final : public QSettings {
    public:
        using QSettings::QSettings;

    protected:
        bool event(QEvent* e) override;
    };

    static std::optional<std::string> SetAsideIfUnreadable(const std::string& filePath);
    // The value as the file holds it at this moment, or the default.
    std::string StoredNow(std::string_view section, std::string_view key,
                          std::string_view defaultValue);

    std::optional<std::string> keptAside;
    bool lastWriteFailed = false;
    ExplicitSettings settings;
};
