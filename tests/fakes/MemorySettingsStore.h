#pragma once

#include "SettingsStore.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A settings store in memory. Tests seed values, read back what was written and count the writes
// (a key taken out counts as one); a test that needs the order of what it asks of the settings and
// of another part has the writes logged beside that part's calls.
class MemorySettingsStore final : public SettingsStore {
public:
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) override {
        return Stored(section, key).value_or(std::string(defaultValue));
    }

    void Write(std::string_view section, std::string_view key, std::string_view value) override {
        Set(section, key, value);
        ++writeCount;
        if (log != nullptr) {
            log->push_back("Write " + std::string(section) + "/" + std::string(key) + "=" +
                           std::string(value));
        }
    }

    void Remove(std::string_view section, std::string_view key) override {
        values.erase({std::string(section), std::string(key)});
        ++writeCount;
    }

    // Seeds a value without counting it as a write.
    void Set(std::string_view section, std::string_view key, std::string_view value) {
        values[{std::string(section), std::string(key)}] = std::string(value);
    }

    std::optional<std::string> Stored(std::string_view section, std::string_view key) const {
        const auto found = values.find({std::string(section), std::string(key)});
        return found == values.end() ? std::nullopt : std::optional(found->second);
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    int writeCount = 0;
    std::vector<std::string>* log = nullptr;
};
