// The practice plan of the tempo list calculator.
#include "TempoList.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace {

std::vector<std::string> Plan(const TempoList::Input& input) {
    std::string list = TempoList::Lines(input);
    std::vector<std::string> lines;
    for (std::size_t end; (end = list.find("\r\n")) != std::string::npos; list.erase(0, end + 2)) {
        lines.push_back(list.substr(0, end));
    }
    EXPECT_EQ(list, "") << "every line ends with CR LF";
    return lines;
}

constexpr int32_t Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Min = std::numeric_limits<int32_t>::min();

TEST(TempoListPlan, LinesOfTheBoxes) {
    using Input = TempoList::Input;
    const Input decimals{.Step = 5, .Coof1 = 0.1, .Coof2 = 1, .Plus = 0, .Int = false};
    const Input large{.StartTempo = 0, .Step = 100, .Coof1 = 1, .Coof2 = 10, .Plus = 0};
    const Input negative{.Step = 100, .Coof1 = 0, .Coof2 = 1, .Plus = -2, .Sum = true};
    const Input half{
        .Step = 100, .Coof1 = 0.005, .Coof2 = 1, .Plus = -1, .Int = false, .Sum = true};
    const Input huge{.StartTempo = 0, .Step = 100, .Coof1 = 10, .Coof2 = 400, .Sum = true};
    // The input, the number of lines, and one line in full.
    const std::tuple<Input, std::size_t, std::size_t, std::string> cases[] = {
        {{}, 100, 0, "102    1"},
        {{.Sum = true}, 100, 99, "300    401     13594"},
        // Decimal times in the pattern, without leading zeros (the user's separator is the
        // window's test).
        {decimals, 40, 0, "105    .5"},
        {{.Step = 1}, 200, 199, "300    401"},
        {{.Step = 200}, 1, 0, "300    401"},
        {{.Step = 3}, 66, 65, "298    393"},
        // Extreme boxes give text, not a crash or a number wrapped round.
        {{.StartTempo = Max, .Step = 100}, 2, 0, "2147483747    101"},
        {huge, 2, 1, "200    inf     inf"},
        {large, 2, 0, "100    100000000000000000000"},
        // Negative times count their integer part rounded down: -0.5 as -1, 0 as 0.
        {negative, 2, 1, "300    -2     -4"},
        {half, 2, 0, "200    -.5     -1"},
        {half, 2, 1, "300    .     -1"},
    };
    for (const auto& [input, count, line, expected] : cases) {
        const std::vector<std::string> lines = Plan(input);
        ASSERT_EQ(lines.size(), count) << expected;
        EXPECT_EQ(lines[line], expected);
    }
    for (const int32_t step : {0, -1, -200, 201, Max, Min}) {
        EXPECT_EQ(TempoList::Lines({.Step = step}), "") << step;
    }
}

} // namespace
