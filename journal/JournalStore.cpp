#include "JournalStore.h"

#include "JournalCsv.h"
#include "LocalDateTime.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace {

namespace fs = std::filesystem;

std::string Quoted(const fs::path& file) {
    return "\"" + file.string() + "\"";
}

std::string WhatIsWrong(JournalDatabase::Fault fault) {
    switch (fault) {
    case JournalDatabase::Fault::NotADatabase:
        return "is not a journal (not an SQLite database)";
    case JournalDatabase::Fault::ReadOnly:
        return "cannot be written (it is read-only)";
    case JournalDatabase::Fault::Locked:
        return "is locked by another program";
    case JournalDatabase::Fault::CannotOpen:
        return "cannot be opened";
    default:
        return "is damaged";
    }
}

// A name beside the file that nothing else has: journal.sqlite.damaged-2024-03-09T23-58-00.
fs::path AsideName(const fs::path& file) {
    std::string stamp = LocalDateTime::Now().Iso();
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    const std::string base = file.string() + ".damaged-" + stamp;
    fs::path aside = base;
    std::error_code error;
    for (int n = 2; fs::exists(aside, error) || fs::exists(aside.string() + "-wal", error); ++n) {
        aside = base + "-" + std::to_string(n);
    }
    return aside;
}

// The log and shared-memory files belong to the database and go with it.
bool MoveAside(const fs::path& file, const fs::path& aside, std::string& reason) {
    std::error_code error;
    fs::rename(file, aside, error);
    if (error) {
        reason = error.message();
        return false;
    }
    for (const char* companion : {"-wal", "-shm"}) {
        const fs::path from = file.string() + companion;
        if (fs::exists(from, error)) {
            // A companion left behind is only rebuilt by the new journal; the main file is safe.
            fs::rename(from, aside.string() + companion, error);
        }
    }
    return true;
}

} // namespace

JournalStore::Opened JournalStore::Open(const fs::path& file, FailureHandler onFailure) {
    std::error_code ignored; // a folder that cannot be made shows as a file that cannot be opened
    fs::create_directories(file.parent_path(), ignored);
    const std::string none = " No practice journal is kept in this run.";
    JournalDatabase::Opened opened = JournalDatabase::Open(file);
    if (opened.Database) {
        return {std::make_unique<JournalStore>(std::move(opened.Database), std::move(onFailure)),
                {}};
    }
    const std::string said = "The practice journal " + Quoted(file) + " " +
                             WhatIsWrong(opened.Problem) + " (" + opened.Reason + ").";
    // Moving a file that another program writes would split its entries from the log that
    // program still holds; and a file that cannot be opened cannot be moved either.
    if (opened.Problem == JournalDatabase::Fault::Locked ||
        opened.Problem == JournalDatabase::Fault::CannotOpen) {
        return {nullptr, said + none};
    }
    const fs::path aside = AsideName(file);
    std::string reason;
    if (!MoveAside(file, aside, reason)) {
        return {nullptr, said + " It could not be moved aside (" + reason + ")." + none};
    }
    const std::string moved = said + " It was moved aside to " + Quoted(aside) + ".";
    JournalDatabase::Opened fresh = JournalDatabase::Open(file);
    if (!fresh.Database) {
        return {nullptr, moved + " A new journal could not be made (" + fresh.Reason + ")." + none};
    }
    return {std::make_unique<JournalStore>(std::move(fresh.Database), std::move(onFailure)),
            moved + " A new journal is kept from now on."};
}

JournalStore::JournalStore(std::unique_ptr<JournalDatabase> database, FailureHandler onFailure)
    : database(std::move(database))
    , onFailure(std::move(onFailure))
    , worker([this] { Work(); }) {}

JournalStore::~JournalStore() {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

void JournalStore::Post(Job job) {
    {
        const std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
    }
    changed.notify_all();
}

void JournalStore::Keep(const JournalEntry& entry) {
    Post([this, entry](JournalDatabase& db) { Store(db, entry); });
}

void JournalStore::Summarize(std::chrono::year_month_day today,
                             std::function<void(JournalSummary)> done) {
    Post([today, done = std::move(done)](JournalDatabase& db) { done(db.Summarize(today)); });
}

void JournalStore::ExportCsv(fs::path file, std::function<void(std::string)> done) {
    Post([file = std::move(file), done = std::move(done)](JournalDatabase& db) {
        const auto problem = JournalCsv::Write(file, JournalCsv::Text(db.Entries()));
        done(problem.value_or(""));
    });
}

void JournalStore::Flush() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return jobs.empty() && !working; });
}

// The lock is held only to take a job off the queue, never while the job runs.
void JournalStore::Work() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || !jobs.empty(); });
        if (jobs.empty()) {
            return; // stopping, and everything asked for is done
        }
        Job job = std::move(jobs.front());
        jobs.pop_front();
        working = true;
        lock.unlock();
        job(*database);
        lock.lock();
        working = false;
        changed.notify_all();
    }
}

void JournalStore::Store(JournalDatabase& db, const JournalEntry& entry) {
    const auto row = rows.find(entry.Stretch);
    bool kept = false;
    if (row != rows.end()) {
        kept = db.Update(row->second, entry);
    } else if (const auto inserted = db.Insert(entry)) {
        rows[entry.Stretch] = *inserted;
        kept = true;
    }
    if (!kept && !failed) {
        failed = true;
        if (onFailure) {
            onFailure(db.LastError());
        }
    }
}
