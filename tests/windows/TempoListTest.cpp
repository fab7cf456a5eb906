// The practice plan of the tempo list calculator.
#include "TempoList.h"

#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> LinesOf(const std::string& list) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t end = list.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(list.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::vector<std::string> Plan(const TempoList::Input& input) {
    return LinesOf(TempoList::Lines(input));
}

TEST(TempoListPlan, TheInitialValuesGiveAHundredLines) {
    const std::vector<std::string> lines = Plan({});
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.front(), "102    1");
    EXPECT_EQ(lines[4], "110    2");
    EXPECT_EQ(lines[9], "120    5");
    EXPECT_EQ(lines.back(), "300    401");
}

TEST(TempoListPlan, TheSumColumnRunsUpTheWholeTimes) {
    TempoList::Input input;
    input.Sum = true;
    const std::vector<std::string> lines = Plan(input);
    ASSERT_EQ(lines.size(), 100u);
    EXPECT_EQ(lines.front(), "102    1     1");
    EXPECT_EQ(lines[1], "104    1     2");
    EXPECT_EQ(lines.back(), "300    401     13594");
}

TEST(TempoListPlan, DecimalTimesInThePatternWithoutLeadingZeros) {
    TempoList::Input input;
    input.Step = 5;
    input.Coof1 = 0.1;
    input.Coof2 = 1;
    input.Plus = 0;
    input.Int = false;
    const std::vector<std::string> lines = Plan(input);
    ASSERT_EQ(lines.size(), 40u);
    EXPECT_EQ(lines[0], "105    .5");
    EXPECT_EQ(lines[1], "110    1.");
    EXPECT_EQ(lines[2], "115    1.5");
    EXPECT_EQ(lines.back(), "300    20.");

    input.decimalSeparator = ",";
    EXPECT_EQ(Plan(input)[0], "105    ,5");
}

TEST(TempoListPlan, StepsThatReachTwoHundredAndStepsThatDoNot) {
    TempoList::Input input;
    input.Step = 200;
    EXPECT_EQ(Plan(input), (std::vector<std::string>{"300    401"}));

    input.Step = 3;
    const std::vector<std::string> thirds = Plan(input);
    ASSERT_EQ(thirds.size(), 66u);
    EXPECT_EQ(thirds.back().substr(0, 7), "298    ");

    input.Step = 199;
    EXPECT_EQ(Plan(input).size(), 1u);

    for (const int32_t step : {0, -1, -200, 201, std::numeric_limits<int32_t>::max(),
                               std::numeric_limits<int32_t>::min()}) {
        input.Step = step;
        EXPECT_EQ(TempoList::Lines(input), "") << step;
    }
}

TEST(TempoListPlan, ExtremeBoxesGiveTextNotACrash) {
    TempoList::Input input;
    input.Step = 100;
    input.StartTempo = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(Plan(input).front().substr(0, 10), "2147483747");

    // Too large to count: shown as such rather than wrapped round.
    input.StartTempo = 0;
    input.Coof1 = 10;
    input.Coof2 = 400;
    input.Sum = true;
    EXPECT_EQ(Plan(input), (std::vector<std::string>{"100    inf     inf", "200    inf     inf"}));

    // Large but finite: every digit is written.
    input.Coof1 = 1;
    input.Coof2 = 10;
    input.Plus = 0;
    input.Sum = false;
    EXPECT_EQ(Plan(input).front(), "100    100000000000000000000");
}

TEST(TempoListTimes, ThePatternKeepsAtMostTwoDecimals) {
    const auto format = [](double times) { return TempoList::FormatTimes(times, "."); };
    EXPECT_EQ(format(2), "2.");
    EXPECT_EQ(format(1.04), "1.04");
    EXPECT_EQ(format(0.5), ".5");
    EXPECT_EQ(format(0), ".");
    EXPECT_EQ(format(0.001), ".");
    EXPECT_EQ(format(-0.001), ".");
    EXPECT_EQ(format(1234.5), "1234.5");
    EXPECT_EQ(format(12345.678), "12345.68");
    EXPECT_EQ(format(9.999), "10.");
    EXPECT_EQ(format(-0.5), "-.5");
    EXPECT_EQ(format(-3), "-3.");
    EXPECT_EQ(TempoList::FormatTimes(1.25, ","), "1,25");
}

TEST(TempoListPlan, NegativeTimesCountTheirIntegerPartRoundedDown) {
    TempoList::Input input;
    input.Step = 100;
    input.Coof1 = 0;
    input.Plus = -2;
    input.Coof2 = 1;
    input.Sum = true;
    // 0^1 - 2 = -2 exactly; with a fraction the whole part goes down.
    EXPECT_EQ(Plan(input), (std::vector<std::string>{"200    -2     -2", "300    -2     -4"}));
    input.Coof1 = 0.005;
    input.Plus = -1;
    input.Int = false;
    // 0.5 - 1 = -0.5 counts as -1; 1 - 1 = 0 counts as 0.
    EXPECT_EQ(Plan(input), (std::vector<std::string>{"200    -.5     -1", "300    .     -1"}));
}

} // namespace
