#pragma once

#include "JournalEntry.h"
#include "JournalSummary.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// The journal's SQLite file: its schema, brought up to Version when opened, and the reads and
// writes the journal needs. The schema's version lives in PRAGMA user_version; every version adds
// to the one before, so a journal of an earlier version keeps its entries. A journal of a later
// version is used as it is. Used by one thread at a time.
class JournalDatabase {
public:
    enum class Fault { None, NotADatabase, Damaged, Locked, ReadOnly, CannotOpen };
    struct Opened {
        std::unique_ptr<JournalDatabase> Database;
        Fault Problem = Fault::None;
        std::string Reason;
    };

    // Opens or creates the file, checks it and brings its schema up to date. Another program
    // holding the file is waited for up to BusyTimeoutMs.
    static Opened Open(const std::filesystem::path& file);
    // Only Open makes one.
    class Handle {
        friend class JournalDatabase;
        Handle() = default;
    };
    JournalDatabase(Handle, sqlite3* db);
    ~JournalDatabase();
    JournalDatabase(const JournalDatabase&) = delete;
    JournalDatabase& operator=(const JournalDatabase&) = delete;

    // The new entry's row, or nothing when the write failed.
    std::optional<int64_t> Insert(const JournalEntry& entry);
    bool Update(int64_t row, const JournalEntry& entry);
    // Every entry, oldest first.
    std::vector<JournalEntry> Entries();
    JournalSummary Summarize(std::chrono::year_month_day today);
    std::string LastError() const;

    static constexpr int Version = 2;
    static constexpr int BusyTimeoutMs = 3000;

private:
    int Execute(const char* sql);
    Fault Prepare();
    Fault Migrate();
    std::vector<JournalEntry> Select(const std::string& tail);
    std::map<std::string, int64_t> SecondsPerDay(std::chrono::year_month_day from);
    std::vector<JournalSummary::Rhythm> Rhythms();

    sqlite3* db;
};
