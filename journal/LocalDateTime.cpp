#include "LocalDateTime.h"

#include <cstdio>
#include <ctime>

LocalDateTime LocalDateTime::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    const std::chrono::year_month_day date{
        std::chrono::year{local.tm_year + 1900},
        std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
        std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
    // A leap second shows as :60; the journal has no use for it.
    return {date, local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec};
}

std::string LocalDateTime::IsoDate(std::chrono::year_month_day date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string LocalDateTime::Iso() const {
    char time[16];
    std::snprintf(time, sizeof time, "T%02d:%02d:%02d", Hour, Minute, Second);
    return IsoDate(Date) + time;
}
