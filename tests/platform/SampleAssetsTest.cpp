#include "ProgramFolder.h"
#include "SampleFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

struct Expected {
    const char* name;
    // The most words the wave export copies; the file must hold one more.
    std::size_t exportWords;
    double minHz;
    double maxHz;
};

// Roughly the frequency that carries the sound, from the rate of zero crossings.
double ZeroCrossingHz(const std::vector<int16_t>& w) {
    int crossings = 0;
    for (std::size_t i = 1; i < w.size(); ++i) {
        crossings += (w[i - 1] < 0) != (w[i] < 0) ? 1 : 0;
    }
    return crossings / 2.0 / (static_cast<double>(w.size()) / 44100.0);
}

class SampleAssets : public ::testing::TestWithParam<Expected> {
protected:
    std::vector<int16_t> Load() {
        const auto path = ProgramFolder() / GetParam().name;
        EXPECT_EQ(std::filesystem::file_size(path), 44 + 2 * (GetParam().exportWords + 1));
        auto words = SampleFile::Read(path);
        EXPECT_TRUE(words.has_value()) << path;
        return words.value_or(std::vector<int16_t>{});
    }
};

TEST_P(SampleAssets, HoldOneWordMoreThanTheExportCopies) {
    EXPECT_EQ(Load().size(), GetParam().exportWords + 1);
}

TEST_P(SampleAssets, StartAndEndInSilenceWithoutDc) {
    const auto w = Load();
    ASSERT_FALSE(w.empty());
    EXPECT_EQ(w.front(), 0);
    EXPECT_EQ(w.back(), 0);
    // The last tenth of a millisecond is all but silent: the sound has faded, not been cut.
    for (std::size_t i = w.size() - 5; i < w.size(); ++i) {
        EXPECT_LT(std::abs(w[i]), 40) << "word " << i;
    }
    double sum = 0.0;
    for (const int16_t x : w) {
        sum += x;
    }
    EXPECT_LT(std::abs(sum / static_cast<double>(w.size())), 2.0) << "mean in words";
}

TEST_P(SampleAssets, PeakNearMinusThreeDbfs) {
    const auto w = Load();
    ASSERT_FALSE(w.empty());
    const auto [lo, hi] = std::minmax_element(w.begin(), w.end());
    const double peak = std::max(-static_cast<double>(*lo), static_cast<double>(*hi)) / 32768.0;
    EXPECT_NEAR(20.0 * std::log10(peak), -3.0, 0.25);
}

// The clicks are timed by their onsets: each reaches half its peak within a millisecond.
TEST_P(SampleAssets, AttackIsSharp) {
    const auto w = Load();
    ASSERT_FALSE(w.empty());
    const auto peak = std::abs(
        static_cast<int32_t>(*std::max_element(w.begin(), w.end(), [](int16_t a, int16_t b) {
            return std::abs(static_cast<int32_t>(a)) < std::abs(static_cast<int32_t>(b));
        })));
    const auto half = std::find_if(w.begin(), w.end(), [&](int16_t x) {
        return 2 * std::abs(static_cast<int32_t>(x)) >= peak;
    });
    EXPECT_LT(half - w.begin(), 45);
}

TEST_P(SampleAssets, SoundInTheirOwnRegister) {
    const double hz = ZeroCrossingHz(Load());
    EXPECT_GE(hz, GetParam().minHz);
    EXPECT_LE(hz, GetParam().maxHz);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SampleAssets,
    ::testing::Values(Expected{"boom.wav", 6161, 900.0, 2200.0},
                      Expected{"boomi.wav", 820, 2200.0, 6000.0},
                      Expected{"bassdrum.wav", 26304, 40.0, 200.0},
                      Expected{"snare.wav", 27214, 1500.0, 8000.0}),
    [](const auto& info) {
        return std::string(info.param.name).substr(0, std::string(info.param.name).find('.'));
    });

} // namespace
