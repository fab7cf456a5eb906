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

TEST(ClickOnsets, IgnoresAClickCutAtTheStartOfTheRecording) {
    std::vector<int16_t> recording(50000, 0);
    AddClick(recording, 0);
    AddClick(recording, 20000);
    EXPECT_EQ(ClickOnsets::Find(recording).size(), 1u);
    EXPECT_TRUE(ClickOnsets::Find(std::vector<int16_t>(1000, 0)).empty());
}

TEST(ClickOnsets, DeviationsAndPercentile) {
    std::vector<double> onsets{0.0};
    for (int i = 1; i <= 200; ++i) {
        onsets.push_back(onsets.back() + (i == 50 ? 110.0 : i % 2 ? 100.5 : 99.5));
    }
    const auto timing = ClickOnsets::Measure(onsets);
    EXPECT_NEAR(timing.meanInterval, (onsets.back()) / 200.0, 1e-12);
    EXPECT_NEAR(timing.maxDeviation, 110.0 - timing.meanInterval, 1e-9);
    EXPECT_LT(timing.p99Deviation, 1.0) << "one outlier in 200 lies above the 99th percentile";
}

TEST(ClickOnsets, DriftAgainstTheRecordingsOwnRate) {
    // Clicks 22057.3 samples apart in a recording that runs at 44114.6 samples per system second
    // lie exactly 0.5 s apart.
    EXPECT_NEAR(ClickOnsets::DriftPpm(22057.3, 44114.6, 0.5), 0.0, 1e-6);
    EXPECT_NEAR(ClickOnsets::DriftPpm(22050.0 * 1.00002, 44100.0, 0.5), 20.0, 1e-6);
}

} // namespace
