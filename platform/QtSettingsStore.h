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
// one.
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
    bool WriteFailed() override;

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

    ExplicitSettings settings;
};
