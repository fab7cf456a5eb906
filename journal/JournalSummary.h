#pragma once

#include "JournalEntry.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// What the journal's window shows, gathered in one go from the journal.
struct JournalSummary {
    struct Day {
        std::string Date; // "2024-03-09"
        int64_t Seconds = 0;
    };
    struct DayTempo {
        std::string Date;
        int32_t Tempo = 0;
    };
    struct Rhythm {
        std::string Text;
        // The rhythm's first information text; empty when it has none.
        std::string Caption;
        // The highest tempo reached on each day the rhythm was practised, oldest first.
        std::vector<DayTempo> Highest;
    };

    // The last DaysShown days up to today, oldest first; a day without practice holds 0.
    std::vector<Day> Days;
    // From this week's Monday and from the first of this month up to today.
    int64_t WeekSeconds = 0;
    int64_t MonthSeconds = 0;
    // Every rhythm practised, the most recently practised first.
    std::vector<Rhythm> Rhythms;
    // The newest entries, newest first, at most LatestShown.
    std::vector<JournalEntry> Latest;
    int64_t EntryCount = 0;

    static constexpr int DaysShown = 35;
    static constexpr int LatestShown = 50;

    // Days, WeekSeconds and MonthSeconds from the seconds practised per day ("2024-03-09").
    void CountDays(const std::map<std::string, int64_t>& perDay, std::chrono::year_month_day today);
    // The first day that CountDays looks at.
    static std::chrono::year_month_day FirstCounted(std::chrono::year_month_day today);
    static std::string Caption(std::string_view rhythm);
};
