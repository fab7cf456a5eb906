#include "JournalDatabase.h"

#include "LocalDateTime.h"

#include <algorithm>
#include <array>
#include <map>
#include <sqlite3.h>

namespace {

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

Statement Compile(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    // A statement that does not compile stays null, and every step of it fails.
    sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    return {statement, &sqlite3_finalize};
}

// Each step from the version before; a journal at version n gets steps n + 1 onwards.
constexpr std::array<const char*, JournalDatabase::Version> Upgrades{
    "CREATE TABLE entries (id INTEGER PRIMARY KEY, started TEXT NOT NULL, "
    "seconds INTEGER NOT NULL, rhythm TEXT NOT NULL, source TEXT NOT NULL, "
    "source_name TEXT NOT NULL DEFAULT '', tempo_start INTEGER NOT NULL, "
    "tempo_end INTEGER NOT NULL, tempo_max INTEGER NOT NULL);"
    "CREATE INDEX entries_started ON entries (started);",
    "ALTER TABLE entries ADD COLUMN pause_cycle INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE entries ADD COLUMN accelerando INTEGER NOT NULL DEFAULT 0;"
    "CREATE INDEX entries_rhythm ON entries (rhythm, started, tempo_max);",
};

constexpr const char* Columns = "started, seconds, rhythm, source, source_name, tempo_start, "
                                "tempo_end, tempo_max, pause_cycle, accelerando";

JournalDatabase::Fault FaultOf(int code) {
    switch (code & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return JournalDatabase::Fault::None;
    case SQLITE_NOTADB:
        return JournalDatabase::Fault::NotADatabase;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return JournalDatabase::Fault::Locked;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return JournalDatabase::Fault::ReadOnly;
    case SQLITE_CANTOPEN:
        return JournalDatabase::Fault::CannotOpen;
    default:
        return JournalDatabase::Fault::Damaged;
    }
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void BindEntry(sqlite3_stmt* statement, const JournalEntry& entry) {
    BindText(statement, 1, entry.Started);
    sqlite3_bind_int(statement, 2, entry.Seconds);
    BindText(statement, 3, entry.Rhythm);
    BindText(statement, 4, entry.Source.Kind);
    BindText(statement, 5, entry.Source.Name);
    sqlite3_bind_int(statement, 6, entry.TempoStart);
    sqlite3_bind_int(statement, 7, entry.TempoEnd);
    sqlite3_bind_int(statement, 8, entry.TempoMax);
    sqlite3_bind_int(statement, 9, entry.PauseCycle ? 1 : 0);
    sqlite3_bind_int(statement, 10, entry.Accelerando ? 1 : 0);
}

std::string TextColumn(sqlite3_stmt* statement, int index) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text == nullptr ? std::string() : std::string(text);
}

JournalEntry EntryColumns(sqlite3_stmt* statement) {
    JournalEntry entry;
    entry.Started = TextColumn(statement, 0);
    entry.Seconds = sqlite3_column_int(statement, 1);
    entry.Rhythm = TextColumn(statement, 2);
    entry.Source = {TextColumn(statement, 3), TextColumn(statement, 4)};
    entry.TempoStart = sqlite3_column_int(statement, 5);
    entry.TempoEnd = sqlite3_column_int(statement, 6);
    entry.TempoMax = sqlite3_column_int(statement, 7);
    entry.PauseCycle = sqlite3_column_int(statement, 8) != 0;
    entry.Accelerando = sqlite3_column_int(statement, 9) != 0;
    return entry;
}

} // namespace

JournalDatabase::JournalDatabase(Handle /*only Open makes one*/, sqlite3* db)
    : db(db) {}

JournalDatabase::~JournalDatabase() {
    sqlite3_close_v2(db);
}

JournalDatabase::Opened JournalDatabase::Open(const std::filesystem::path& file) {
    sqlite3* handle = nullptr;
    const int opened =
        sqlite3_open_v2(file.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // Even a failed open gives a handle, which carries the reason and must be closed.
    auto database = std::make_unique<JournalDatabase>(Handle{}, handle);
    if (opened != SQLITE_OK) {
        return {nullptr, FaultOf(opened), database->LastError()};
    }
    const Fault fault = database->Prepare();
    if (fault != Fault::None) {
        return {nullptr, fault, database->LastError()};
    }
    return {std::move(database), Fault::None, {}};
}

int JournalDatabase::Execute(const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

JournalDatabase::Fault JournalDatabase::Prepare() {
    sqlite3_busy_timeout(db, BusyTimeoutMs);
    // A file the user may not write is opened for reading without a word; writing would fail.
    if (sqlite3_db_readonly(db, "main") == 1) {
        return Fault::ReadOnly;
    }
    // The write-ahead log lets two programs write one journal, each waiting only for the other's
    // commit.
    if (const Fault fault = FaultOf(Execute("PRAGMA journal_mode=WAL")); fault != Fault::None) {
        return fault;
    }
    Statement check = Compile(db, "PRAGMA quick_check");
    const int stepped = sqlite3_step(check.get());
    if (stepped != SQLITE_ROW) {
        return FaultOf(stepped);
    }
    if (TextColumn(check.get(), 0) != "ok") {
        return Fault::Damaged;
    }
    check.reset();
    return Migrate();
}

JournalDatabase::Fault JournalDatabase::Migrate() {
    if (const Fault fault = FaultOf(Execute("BEGIN IMMEDIATE")); fault != Fault::None) {
        return fault;
    }
    Statement version = Compile(db, "PRAGMA user_version");
    sqlite3_step(version.get());
    const int from = sqlite3_column_int(version.get(), 0);
    version.reset();
    for (int step = from; step < Version; ++step) {
        if (const Fault fault = FaultOf(Execute(Upgrades[static_cast<std::size_t>(step)]));
            fault != Fault::None) {
            Execute("ROLLBACK");
            return fault;
        }
    }
    if (from < Version) {
        Execute(("PRAGMA user_version=" + std::to_string(Version)).c_str());
    }
    const Fault committed = FaultOf(Execute("COMMIT"));
    if (committed != Fault::None) {
        Execute("ROLLBACK");
    }
    return committed;
}

std::optional<int64_t> JournalDatabase::Insert(const JournalEntry& entry) {
    Statement insert = Compile(db, std::string("INSERT INTO entries (") + Columns +
                                       ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    BindEntry(insert.get(), entry);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db);
}

bool JournalDatabase::Update(int64_t row, const JournalEntry& entry) {
    Statement update = Compile(db, "UPDATE entries SET started = ?, seconds = ?, rhythm = ?, "
                                   "source = ?, source_name = ?, tempo_start = ?, tempo_end = ?, "
                                   "tempo_max = ?, pause_cycle = ?, accelerando = ? WHERE id = ?");
    BindEntry(update.get(), entry);
    sqlite3_bind_int64(update.get(), 11, row);
    return sqlite3_step(update.get()) == SQLITE_DONE && sqlite3_changes(db) == 1;
}

std::vector<JournalEntry> JournalDatabase::Select(const std::string& tail) {
    Statement select = Compile(db, std::string("SELECT ") + Columns + " FROM entries " + tail);
    std::vector<JournalEntry> entries;
    while (sqlite3_step(select.get()) == SQLITE_ROW) {
        entries.push_back(EntryColumns(select.get()));
    }
    return entries;
}

std::vector<JournalEntry> JournalDatabase::Entries() {
    return Select("ORDER BY started, id");
}

JournalSummary JournalDatabase::Summarize(std::chrono::year_month_day today) {
    JournalSummary summary;
    // One read transaction, so that the figures agree with each other while another program
    // writes.
    Execute("BEGIN");
    summary.CountDays(SecondsPerDay(JournalSummary::FirstCounted(today)), today);
    summary.Rhythms = Rhythms();
    summary.Latest = Select("ORDER BY started DESC, id DESC LIMIT " +
                            std::to_string(JournalSummary::LatestShown));
    Statement count = Compile(db, "SELECT count(*) FROM entries");
    sqlite3_step(count.get());
    summary.EntryCount = sqlite3_column_int64(count.get(), 0);
    count.reset();
    Execute("COMMIT");
    return summary;
}

std::map<std::string, int64_t> JournalDatabase::SecondsPerDay(std::chrono::year_month_day from) {
    std::map<std::string, int64_t> perDay;
    Statement days = Compile(db, "SELECT substr(started, 1, 10) AS day, sum(seconds) FROM entries "
                                 "WHERE started >= ? GROUP BY day");
    BindText(days.get(), 1, LocalDateTime::IsoDate(from));
    while (sqlite3_step(days.get()) == SQLITE_ROW) {
        perDay[TextColumn(days.get(), 0)] = sqlite3_column_int64(days.get(), 1);
    }
    return perDay;
}

// One walk along the index by rhythm and start: each rhythm's days come in order, its last start
// last.
std::vector<JournalSummary::Rhythm> JournalDatabase::Rhythms() {
    std::vector<std::pair<std::string, JournalSummary::Rhythm>> byLastStart;
    Statement rows =
        Compile(db, "SELECT rhythm, started, tempo_max FROM entries ORDER BY rhythm, started");
    while (sqlite3_step(rows.get()) == SQLITE_ROW) {
        std::string text = TextColumn(rows.get(), 0);
        std::string started = TextColumn(rows.get(), 1);
        const int32_t tempo = sqlite3_column_int(rows.get(), 2);
        if (byLastStart.empty() || byLastStart.back().second.Text != text) {
            byLastStart.push_back({{}, {text, JournalSummary::Caption(text), {}}});
        }
        auto& [last, rhythm] = byLastStart.back();
        std::string day = started.substr(0, 10);
        last = std::move(started);
        if (rhythm.Highest.empty() || rhythm.Highest.back().Date != day) {
            rhythm.Highest.push_back({std::move(day), tempo});
        } else {
            rhythm.Highest.back().Tempo = std::max(rhythm.Highest.back().Tempo, tempo);
        }
    }
    std::stable_sort(byLastStart.begin(), byLastStart.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<JournalSummary::Rhythm> rhythms;
    for (auto& [last, rhythm] : byLastStart) {
        rhythms.push_back(std::move(rhythm));
    }
    return rhythms;
}

std::string JournalDatabase::LastError() const {
    return db == nullptr ? "out of memory" : sqlite3_errmsg(db);
}
