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
        waiting[std::move(entry)] = Waiting{std::string(value), {}, {}, false};
    }
    changed.notify_all();
}

std::string BackgroundSettingsStore::Update(std::string_view section, std::string_view key,
                                            std::string_view defaultValue, const Change& change) {
    std::string value;
    {
        const std::lock_guard lock(mutex);
        Key entry{std::string(section), std::string(key)};
        const auto found = values.find(entry);
        value = change(found == values.end() ? defaultValue : std::string_view(found->second));
        values[entry] = value;
        const auto [queued, added] = waiting.try_emplace(std::move(entry));
        if (added) {
            queued->second.defaultValue = defaultValue;
        }
        queued->second.changes.push_back(change);
    }
    changed.notify_all();
    return value;
}

void BackgroundSettingsStore::Remove(std::string_view section, std::string_view key) {
    {
        const std::lock_guard lock(mutex);
        Key entry{std::string(section), std::string(key)};
        values.erase(entry);
        waiting[std::move(entry)] = Waiting{std::nullopt, {}, {}, true};
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
        const Key& entry = next.key();
        Waiting& work = next.mapped();
        std::string written;
        if (work.remove) {
            backend.Remove(entry.first, entry.second);
        } else if (work.value) {
            written = *work.value;
            for (const Change& change : work.changes) {
                written = change(written);
            }
            backend.Write(entry.first, entry.second, written);
        } else {
            written = backend.Update(entry.first, entry.second, work.defaultValue,
                                     [&work](std::string_view stored) {
                                         std::string value(stored);
                                         for (const Change& change : work.changes) {
                                             value = change(value);
                                         }
                                         return value;
                                     });
        }
        const bool failedNow = backend.WriteFailed();
        lock.lock();
        writing = false;
        // What another run wrote shows from now on, unless a newer value of this run waits.
        if (!work.value && !work.remove && !failedNow && !waiting.contains(entry)) {
            values[entry] = written;
        }
        failed = failedNow;
        const bool firstFailure = failedNow && !failureSaid;
        failureSaid = failureSaid || failedNow;
        if (firstFailure && onFailure) {
            lock.unlock();
            onFailure();
            lock.lock();
        }
        changed.notify_all();
    }
}
