#pragma once

#include <chrono>
#include <string>

// A moment as the player's calendar and wall clock show it.
struct LocalDateTime {
    std::chrono::year_month_day Date{};
    int Hour = 0;
    int Minute = 0;
    int Second = 0;

    static LocalDateTime Now();
    // "2024-03-09T23:58:00".
    std::string Iso() const;
    // "2024-03-09".
    static std::string IsoDate(std::chrono::year_month_day date);
};
