#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The per-user store of the few values that outlive a run (practice time, rhythm slots, mixer
// presets): text values addressed by section and key, for the application "Pulsara" alone. Keys
// are compared exactly and may hold any characters, "/", "<" and ">" among them. A store never
// fails towards its callers: a value it cannot read is the default, a write it cannot make is
// dropped and the program goes on.
class SettingsStore {
public:
    // The new value of a key from the value stored now (or the default given with it).
    using Change = std::function<std::string(std::string_view stored)>;

    virtual ~SettingsStore() = default;

    // The stored value, or defaultValue when the key is absent or cannot be read.
    virtual std::string Read(std::string_view section, std::string_view key,
                             std::string_view defaultValue) = 0;
    // Creates the key or replaces its value, at once.
    virtual void Write(std::string_view section, std::string_view key, std::string_view value) = 0;
    // Takes the key out, as if it had never been written, at once; an absent key stays absent.
    virtual void Remove(std::string_view section, std::string_view key) = 0;
    // The stored value, or nothing when the key is absent: an empty value is a value. This is what
    // an undo needs to put a key back exactly as it was.
    virtual std::optional<std::string> Find(std::string_view section, std::string_view key);
    // Replaces the value with change(value), where value is what the store holds at that moment:
    // another run of the program may have written it since this one last read it, and a store
    // that others share re-reads it for the change. Gives the value written.
    virtual std::string Update(std::string_view section, std::string_view key,
                               std::string_view defaultValue, const Change& change) {
        std::string value = change(Read(section, key, defaultValue));
        Write(section, key, value);
        return value;
    }
    // True while the last write could not be kept (the file is read-only, cannot be replaced, the
    // disk is full), so that the user can be told; a store that cannot tell says false.
    virtual bool WriteFailed() { return false; }
};

// A store that cannot say so itself tells an absent key by two reads with different defaults: no
// stored value equals both.
inline std::optional<std::string> SettingsStore::Find(std::string_view section,
                                                      std::string_view key) {
    std::string value = Read(section, key, std::string_view("\x01", 1));
    if (value == std::string_view("\x01", 1) && Read(section, key, "") != value) {
        return std::nullopt;
    }
    return value;
}
