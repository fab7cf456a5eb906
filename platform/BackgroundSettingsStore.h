#pragma once

#include "SettingsStore.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A settings store whose caller never waits for a disk: the thread that schedules the beat writes
// here. It answers every read from memory, starting from all the values that the backend held at
// creation, and hands each write to a thread of its own that writes it into the backend (which
// replaces and syncs its file there); a key taken out goes the same way. A value written is read
// back at once, and the newest value of a key wins over older ones still waiting. An update is
// applied to the value in memory at once and handed to the backend as a change, which it applies
// to the value it holds by then; its result becomes the value read. What is still waiting at
// release is written before the release returns.
class BackgroundSettingsStore final : public SettingsStore {
public:
    using Key = std::pair<std::string, std::string>;
    using Values = std::map<Key, std::string>;
    // Called once, on the writing thread, when the backend first fails to keep a write.
    using FailureHandler = std::function<void()>;

    // From now on the backend is used only by the writing thread; `stored` is what it holds.
    BackgroundSettingsStore(SettingsStore& backend, Values stored, FailureHandler onFailure = {});
    ~BackgroundSettingsStore() override;
    BackgroundSettingsStore(const BackgroundSettingsStore&) = delete;
    BackgroundSettingsStore& operator=(const BackgroundSettingsStore&) = delete;

    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) override;
    void Write(std::string_view section, std::string_view key, std::string_view value) override;
    void Remove(std::string_view section, std::string_view key) override;
    std::optional<std::string> Find(std::string_view section, std::string_view key) override;
    // Gives the value in memory; the one the backend computes replaces it once it is written.
    std::string Update(std::string_view section, std::string_view key,
                       std::string_view defaultValue, const Change& change) override;
    // Whether the backend kept the last write it was given.
    bool WriteFailed() override;

    // Waits until every write handed over so far has reached the backend.
    void Flush();

private:
    // What waits for the backend under one key: a value, then changes in the order given; without
    // a value the changes apply to what the backend holds.
    struct Waiting {
        std::optional<std::string> value;
        std::string defaultValue;
        std::vector<Change> changes;
        // The key is taken out.
        bool remove = false;
    };

    void WriteInBackground();

    SettingsStore& backend;
    FailureHandler onFailure;
    std::mutex mutex;
    std::condition_variable changed;
    Values values;
    std::map<Key, Waiting> waiting;
    bool writing = false;
    bool failed = false;
    bool failureSaid = false;
    bool stopping = false;
    std::thread writer;
};
