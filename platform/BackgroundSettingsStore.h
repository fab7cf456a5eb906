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

// A settings store whose caller never waits for a disk: the thread that schedules the beat writes
// here. It answers every read from memory, starting from all the values that the backend held at
// creation, and hands each write to a thread of its own that writes it into the backend (which
// replaces and syncs its file there); a key taken out goes the same way. A value written is read
// back at once, and the newest change of a key wins over older ones still waiting. What is still
// waiting at release is written before the release returns.
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
    bool WriteFailed() override;

    // Waits until every write handed over so far has reached the backend.
    void Flush();

private:
    void WriteInBackground();

    SettingsStore& backend;
    FailureHandler onFailure;
    std::mutex mutex;
    std::condition_variable changed;
    Values values;
    // What the backend is still to be told, by key: a value to write, or nothing to take it out.
    std::map<Key, std::optional<std::string>> waiting;
    bool writing = false;
    bool failed = false;
    bool stopping = false;
    std::thread writer;
};
