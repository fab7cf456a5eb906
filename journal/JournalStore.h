#pragma once

#include "JournalDatabase.h"
#include "JournalSink.h"
#include "JournalSummary.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// The practice journal on disk. Every read and write runs on a thread of its own, in the order
// asked for, so that nobody who asks waits for the disk: Keep only queues the entry, and the
// answers of Summarize and ExportCsv come back on that thread. What is still queued at release
// is written before the release returns.
class JournalStore final : public JournalSink {
public:
    // Called once, on the store's thread, when a write first fails.
    using FailureHandler = std::function<void(const std::string& reason)>;
    struct Opened {
        // Null when no journal could be had.
        std::unique_ptr<JournalStore> Store;
        // What the player must be told about the file; empty when all went well.
        std::string Notice;
    };

    // Opens the journal at file, creating it and its folder where they are missing. A file that
    // is damaged, not a database or read-only is moved aside, never deleted, and a new journal
    // takes its place; one that another program keeps locked is left alone, and no journal is kept
    // in this run.
    static Opened Open(const std::filesystem::path& file, FailureHandler onFailure = {});

    JournalStore(std::unique_ptr<JournalDatabase> database, FailureHandler onFailure);
    ~JournalStore() override;
    JournalStore(const JournalStore&) = delete;
    JournalStore& operator=(const JournalStore&) = delete;

    void Keep(const JournalEntry& entry) override;
    // What the window shows, with today as given.
    void Summarize(std::chrono::year_month_day today, std::function<void(JournalSummary)> done);
    // Writes every entry into file; done gets the reason of a failure, or the empty text.
    void ExportCsv(std::filesystem::path file, std::function<void(std::string)> done);
    // Waits until everything asked for so far is done.
    void Flush();

private:
    using Job = std::function<void(JournalDatabase&)>;
    void Post(Job job);
    void Work();
    void Store(JournalDatabase& database, const JournalEntry& entry);

    std::unique_ptr<JournalDatabase> database;
    FailureHandler onFailure;
    // The row of each stretch of this run; only the store's thread touches it.
    std::map<uint64_t, int64_t> rows;
    bool failed = false;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool working = false;
    bool stopping = false;
    std::thread worker;
};
