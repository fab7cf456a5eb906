#include "ClickOnsets.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A click: a fast rise to 20000 and an oscillating decay over 40 ms.
void AddClick(std::vector<int16_t>& recording, std::size_t at) {
    for (std::size_t i = 0; i < 1764 && at + i < recording.size(); ++i) {
        const double t = static_cast<double>(i);
        recording[at + i] = static_cast<int16_t>(20000.0 * std::min(1.0, t / 4.0) *
                                                 std::exp(-t / 300.0) * std::cos(t * 0.3));
    }
}

TEST(ClickOnsets, FindsEachClickOnceAtTheSameInstantOfIt) {
    std::vector<int16_t> recording(100000, 0);
    for (const std::size_t at : {1000u, 23050u, 45101u, 67150u}) {
        AddClick(recording, at);
    }
    const auto onsets = ClickOnsets::Find(recording);
    ASSERT_EQ(onsets.size(), 4u);
    EXPECT_NEAR(onsets[1] - onsets[0], 22050.0, 1e-9);
    EXPECT_NEAR(onsets[2] - onsets[1], 22051.0, 1e-9);
    EXPECT_NEAR(onsets[0], 1000.0, 2.0);
    const auto timing = ClickOnsets::Measure(onsets);
    EXPECT_EQ(timing.clicks, 4u);
    EXPECT_NEAR(timing.meanInterval, 66150.0 / 3.0, 1e-9);
    EXPECT_NEAR(timing.maxDeviation, 22051.0 - 22050.0, 1e-9);
}

} // namespace
