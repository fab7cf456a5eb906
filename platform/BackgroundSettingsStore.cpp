#include "BackgroundSettingsStore.h"

BackgroundSettingsStore::BackgroundSettingsStore(SettingsStore& backend, Values stored,
                                                 FailureHandler onFailure)
    : backend(backend)
    , onFailure(std::move(onFailure))
    , values(std::move(stored))
    , writer([this] { WriteInBackground(); }) {}

BackgroundSettingsStore::~BackgroundSettingsStore() {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    writer.join();
}

std::string BackgroundSettingsStore::Read(std::string_view section, std::string_view key,
                                          std::string_view defaultValue) {
    const std::lock_guard lock(mutex);
    const auto found = values.find({std::string(section), std::string(key)});
    return found == values.end() ? std::string(defaultValue) : found->second;
}

void BackgroundSettingsStore::Write(std::string_view section, std::string_view key,
                                    std::string_view value) {
    {
        const std::lock_guard lock(mutex);
        Key entry{std::string(section), std::string(key)};
        values[entry] = value;
        waiting[std::move(entry)] = value;
    }
    changed.notify_all();
}

void BackgroundSettingsStore::Remove(std::string_view section, std::string_view key) {
    {
        const std::lock_guard lock(mutex);
        Key entry{std::string(section), std::string(key)};
        values.erase(entry);
        waiting[std::move(entry)] = std::nullopt;
    }
    changed.notify_all();
}

std::optional<std::string> BackgroundSettingsStore::Find(std::string_view section,
                                                         std::string_view key) {
    const std::lock_guard lock(mutex);
    const auto found = values.find({std::string(section), std::string(key)});
    return found == values.end() ? std::nullopt : std::optional(found->second);
}

bool BackgroundSettingsStore::WriteFailed() {
    const std::lock_guard lock(mutex);
    return failed;
}

void BackgroundSettingsStore::Flush() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return waiting.empty() && !writing; });
}

// The lock is held only to take a value off the queue, never while the backend writes, so a
// caller is never held up by a slow disk.
void BackgroundSettingsStore::WriteInBackground() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !waiting.empty(); });
        if (waiting.empty()) {
            return; // stopping, and everything handed over is written
        }
        auto next = waiting.extract(waiting.begin());
        writing = true;
        lock.unlock();
        if (next.mapped()) {
            backend.Write(next.key().first, next.key().second, *next.mapped());
        } else {
            backend.Remove(next.key().first, next.key().second);
        }
        const bool failedNow = backend.WriteFailed();
        lock.lock();
        writing = false;
        const bool firstFailure = failedNow && !failed;
        failed = failed || failedNow;
        if (firstFailure && onFailure) {
            lock.unlock();
            onFailure();
            lock.lock();
        }
        changed.notify_all();
    }
}
