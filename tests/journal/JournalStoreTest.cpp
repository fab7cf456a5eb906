#include "JournalStore.h"

#include "JournalCsv.h"
#include "fakes/TempFolder.h"

#include <future>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <tuple>

namespace {

using namespace std::chrono;

JournalEntry Entry(uint64_t stretch, const char* started, int32_t seconds, const char* rhythm) {
    return {stretch, started, seconds, rhythm, RhythmSource::Slot("A"), 100, 104, 108, false, true};
}

JournalSummary Summary(JournalStore& store, year_month_day today) {
    std::promise<JournalSummary> answer;
    store.Summarize(today, [&answer](JournalSummary summary) { answer.set_value(summary); });
    return answer.get_future().get();
}

// Runs the statements on the file; the first column of the last row they give.
std::string Sql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    std::string value;
    const auto keep = [](void* into, int, char** row, char**) {
        *static_cast<std::string*>(into) = row[0];
        return 0;
    };
    EXPECT_EQ(sqlite3_exec(db, sql, keep, &value, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return value;
}

class Store : public ::testing::Test {
protected:
    JournalStore::Opened Open() { return JournalStore::Open(file); }

    TempFolder folder;
    std::filesystem::path file = folder / "Pulsara/journal.sqlite";
    year_month_day today = year{2024} / March / 4; // a Monday
};

TEST_F(Store, AJournalOfTheFirstVersionKeepsItsEntriesAndTakesTheNewColumns) {
    std::filesystem::create_directories(file.parent_path());
    Sql(file, "CREATE TABLE entries (id INTEGER PRIMARY KEY, started TEXT NOT NULL, seconds "
              "INTEGER NOT NULL, rhythm TEXT NOT NULL, source TEXT NOT NULL, source_name TEXT NOT "
              "NULL DEFAULT '', tempo_start INTEGER NOT NULL, tempo_end INTEGER NOT NULL, "
              "tempo_max INTEGER NOT NULL); INSERT INTO entries VALUES (7, '2024-03-01T10:00:00', "
              "60, 'old', 'typed', '', 80, 90, 95); PRAGMA user_version=1;");
    JournalStore::Opened opened = Open();
    ASSERT_TRUE(opened.Store) << opened.Notice;
    EXPECT_EQ(opened.Notice, "");
    opened.Store->Keep(Entry(1, "2024-03-02T10:00:00", 30, "new"));
    const JournalSummary summary = Summary(*opened.Store, today);
    ASSERT_EQ(summary.Latest.size(), 2u);
    EXPECT_EQ(summary.Latest[0], Entry(0, "2024-03-02T10:00:00", 30, "new"));
    EXPECT_EQ(summary.Latest[1], (JournalEntry{0, "2024-03-01T10:00:00", 60, "old",
                                               RhythmSource::Typed(), 80, 90, 95, false, false}));
    opened.Store.reset();
    EXPECT_EQ(Sql(file, "PRAGMA user_version"), "2");
}

TEST_F(Store, AFileThatIsNoJournalIsMovedAsideAndANewOneIsKept) {
    std::filesystem::create_directories(file.parent_path());
    const std::string bytes(8192, 'x');
    folder.Put("Pulsara/journal.sqlite", bytes);
    JournalStore::Opened opened = Open();
    ASSERT_TRUE(opened.Store);
    EXPECT_NE(opened.Notice.find("is not a journal"), std::string::npos) << opened.Notice;
    EXPECT_NE(opened.Notice.find("moved aside"), std::string::npos) << opened.Notice;
    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
        if (entry.path().filename().string().starts_with("journal.sqlite.damaged-")) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(folder.Bytes("Pulsara/" + aside[0].filename().string()), bytes);
    opened.Store->Keep(Entry(1, "2024-03-04T08:00:00", 30, "4 xxxx  "));
    EXPECT_EQ(Summary(*opened.Store, today).EntryCount, 1);
}

TEST_F(Store, TwoProgramsWritingOneJournalBothKeepTheirEntries) {
    JournalStore::Opened first = Open();
    JournalStore::Opened second = Open();
    ASSERT_TRUE(first.Store && second.Store);
    for (uint64_t stretch = 1; stretch <= 20; ++stretch) {
        for (int32_t checkpoint = 10; checkpoint <= 30; checkpoint += 10) {
            first.Store->Keep(Entry(stretch, "2024-03-04T09:00:00", checkpoint, "first"));
            second.Store->Keep(Entry(stretch, "2024-03-04T09:00:00", checkpoint, "second"));
        }
    }
    second.Store->Flush();
    const JournalSummary summary = Summary(*first.Store, today);
    EXPECT_EQ(summary.EntryCount, 40);
    EXPECT_EQ(summary.Days.back().Seconds, 40 * 30);
}

TEST_F(Store, AStretchCountsOnTheDayItStartedAndEmptyDaysAreZero) {
    JournalStore::Opened opened = Open();
    ASSERT_TRUE(opened.Store);
    opened.Store->Keep(Entry(1, "2024-03-03T23:58:00", 600, "4 xxxx  "));    // Sunday
    opened.Store->Keep(Entry(2, "2024-03-04T00:05:00", 120, "4 xxxx  "));    // Monday
    opened.Store->Keep(Entry(3, "2024-02-29T12:00:00", 60, "8 /Scales/x'")); // last month
    opened.Store->Keep(Entry(4, "2024-01-30T12:00:00", 60, "4 xxxx  "));     // 34 days ago
    opened.Store->Keep(Entry(5, "2024-01-29T12:00:00", 60, "4 xxxx  "));     // before the chart
    const JournalSummary summary = Summary(*opened.Store, today);
    ASSERT_EQ(summary.Days.size(), 35u);
    const auto& days = summary.Days;
    EXPECT_EQ(std::tuple(days[0].Date, days[0].Seconds, days[32].Seconds, days[33].Seconds,
                         days[34].Date, days[34].Seconds, summary.WeekSeconds,
                         summary.MonthSeconds),
              std::tuple("2024-01-30", 60, 0, 600, "2024-03-04", 120, 120, 720));
    EXPECT_EQ(Summary(*opened.Store, year{2024} / March / 5).WeekSeconds, 120) << "from Monday";
    ASSERT_EQ(summary.Rhythms.size(), 2u);
    EXPECT_EQ(summary.Rhythms[0].Text, "4 xxxx  ");
    EXPECT_EQ(summary.Rhythms[0].Highest.size(), 4u);
    EXPECT_EQ(summary.Rhythms[1].Caption, "Scales");
}

TEST_F(Store, TheCsvHoldsEveryEntryOldestFirstQuotedWhereNeeded) {
    JournalStore::Opened opened = Open();
    ASSERT_TRUE(opened.Store);
    opened.Store->Keep(Entry(1, "2024-03-04T09:00:00", 75, "4 /Étude, \"slow\"/xxxx  "));
    opened.Store->Keep(Entry(2, "2024-03-01T18:30:05", 600, "8 x'x'  "));
    const std::filesystem::path csv = folder / "journal.csv";
    std::promise<std::string> problem;
    opened.Store->ExportCsv(csv, [&problem](std::string said) { problem.set_value(said); });
    EXPECT_EQ(problem.get_future().get(), "");
    EXPECT_EQ(folder.Bytes("journal.csv"),
              "started,seconds,rhythm,source,source name,tempo at start,tempo at end,highest "
              "tempo,pause cycle,accelerando\r\n"
              "2024-03-01T18:30:05,600,8 x'x'  ,slot,A,100,104,108,no,yes\r\n"
              "2024-03-04T09:00:00,75,\"4 /\xC3\x89tude, \"\"slow\"\"/xxxx  \",slot,A,100,104,"
              "108,no,yes\r\n");
}

} // namespace
