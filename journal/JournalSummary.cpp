#include "JournalSummary.h"

#include "LocalDateTime.h"

using namespace std::chrono;

std::chrono::year_month_day JournalSummary::FirstCounted(year_month_day today) {
    // Five weeks back reach past both this week's Monday and the first of the month.
    return year_month_day{sys_days{today} - days{DaysShown - 1}};
}

void JournalSummary::CountDays(const std::map<std::string, int64_t>& perDay, year_month_day today) {
    const sys_days last{today};
    const sys_days monday = last - (weekday{last} - Monday);
    const sys_days firstOfMonth{today.year() / today.month() / 1};
    Days.clear();
    WeekSeconds = 0;
    MonthSeconds = 0;
    for (sys_days day{FirstCounted(today)}; day <= last; day += days{1}) {
        const std::string date = LocalDateTime::IsoDate(year_month_day{day});
        const auto found = perDay.find(date);
        const int64_t seconds = found == perDay.end() ? 0 : found->second;
        Days.push_back({date, seconds});
        WeekSeconds += day >= monday ? seconds : 0;
        MonthSeconds += day >= firstOfMonth ? seconds : 0;
    }
}

std::string JournalSummary::Caption(std::string_view rhythm) {
    const auto open = rhythm.find('/');
    if (open == std::string_view::npos) {
        return {};
    }
    const auto close = rhythm.find('/', open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return std::string(rhythm.substr(open + 1, close - open - 1));
}
