#include "ClickChain.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <vector>

namespace {

constexpr double MsPerFrame = 1000.0 / 44100.0;

struct Placed {
    std::vector<int64_t> frames;
    double worstOff = 0.0;

    std::set<int64_t> Spacings() const {
        std::set<int64_t> spacings;
        for (std::size_t i = 1; i < frames.size(); ++i) {
            spacings.insert(frames[i] - frames[i - 1]);
        }
        return spacings;
    }
};

// Places clicks due every stepMs whose exact positions the clock gives by `target`, and its rate by
// `rate`.
template <typename Target, typename Rate>
Placed PlaceGrid(ClickChain& chain, int clicks, double stepMs, Target target, Rate rate) {
    Placed placed;
    for (int i = 0; i < clicks; ++i) {
        const double exact = target(i);
        placed.frames.push_back(chain.Place(1000.0 + stepMs * i, exact, rate(i)));
        placed.worstOff =
            std::max(placed.worstOff, std::abs(static_cast<double>(placed.frames.back()) - exact));
    }
    return placed;
}

template <typename Target>
Placed PlaceGrid(ClickChain& chain, int clicks, double stepMs, Target target) {
    return PlaceGrid(chain, clicks, stepMs, target, [](int) { return MsPerFrame; });
}

TEST(ClickChain, GridBetweenFramesTakesTheTwoFramesAroundIt) {
    ClickChain chain;
    const auto placed = PlaceGrid(chain, 320, 187.5, [](int i) { return 5000.3 + 8268.75 * i; });
    EXPECT_EQ(placed.Spacings(), (std::set<int64_t>{8268, 8269}));
    EXPECT_LE(placed.worstOff, ClickChain::SlackFrames);
    EXPECT_EQ(placed.frames[0], 5000);
}

// Clicks due halfway between two frames while the clock trembles by a tenth of a frame: rounding
// each exact position would land them now early, now late, 22049 and 22051 frames apart.
TEST(ClickChain, TremblingClockHalfwayBetweenFramesKeepsOneSpacing) {
    ClickChain chain;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> tremble(-0.1, 0.1);
    const auto placed = PlaceGrid(chain, 200, 500.0,
                                  [&](int i) { return 100000.5 + 22050.0 * i + tremble(random); });
    EXPECT_EQ(placed.Spacings().size(), 1u);
    EXPECT_LE(placed.worstOff, 1.0);
}

// The clock's positions drift 5 ppm from the rate the chain was given: the chain follows them, a
// frame at a time, without leaving two neighbouring spacings, and lags them by no more than the
// drift over its steering time and the slack of its pair of spacings.
TEST(ClickChain, FollowsTheClockWhereItDriftsFromTheGrid) {
    ClickChain chain;
    const auto placed =
        PlaceGrid(chain, 600, 500.0, [](int i) { return 300.25 + 22050.0 * (1.0 - 5e-6) * i; });
    const auto spacings = placed.Spacings();
    EXPECT_EQ(*spacings.rbegin() - *spacings.begin(), 1);
    const double steeringLag = 22050.0 * 5e-6 * ClickChain::SteerMs / 500.0;
    EXPECT_LT(placed.worstOff, steeringLag + ClickChain::PairSlackFrames + 1.0);
}

// The grid distance is a hair under a whole number of frames (22050.96), and the clock's rate
// trembles by 5 ppm, a tenth of a frame per click, while its positions scatter by half a frame:
// re-rounding the distance at every click would mix 22050, 22051 and 22052.
TEST(ClickChain, AlmostWholeGridDistanceKeepsToTwoSpacings) {
    ClickChain chain;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> scatter(-0.5, 0.5);
    const auto placed = PlaceGrid(
        chain, 240, 500.0, [&](int i) { return 1000.3 + 22050.96 * i + scatter(random); },
        [](int i) { return MsPerFrame / (1.0 + 44e-6 + 5e-6 * std::sin(i / 7.0)); });
    const auto spacings = placed.Spacings();
    EXPECT_EQ(spacings, (std::set<int64_t>{22050, 22051}));
    EXPECT_LT(placed.worstOff, ClickChain::PairSlackFrames + 1.0);
}

// The clock moved by a few frames: the chain does not jump but comes over within half a minute,
// never more than a frame off the grid distance on the way.
TEST(ClickChain, SteersTowardsASmallShiftOfTheClock) {
    ClickChain chain;
    const auto placed = PlaceGrid(
        chain, 120, 500.0, [](int i) { return 700.0 + 22050.0 * i + (i >= 10 ? 10.0 : 0.0); });
    for (std::size_t i = 1; i < placed.frames.size(); ++i) {
        EXPECT_LE(std::abs(placed.frames[i] - placed.frames[i - 1] - 22050), 1) << "click " << i;
    }
    EXPECT_NEAR(static_cast<double>(placed.frames.back()), 700.0 + 22050.0 * 119 + 10.0, 1.0);
}

// The clock jumped by 10 ms without the stream breaking off (its estimates moved): the clicks do
// not jump with it but walk over, a couple of frames a click.
TEST(ClickChain, CatchesUpAJumpOfTheClockWithoutAJumpOfTheClicks) {
    ClickChain chain;
    const auto placed = PlaceGrid(
        chain, 120, 500.0, [](int i) { return 700.0 + 22050.0 * i + (i >= 10 ? 441.0 : 0.0); });
    for (std::size_t i = 1; i < placed.frames.size(); ++i) {
        const int64_t spacing = placed.frames[i] - placed.frames[i - 1];
        EXPECT_GE(spacing, 22050) << "click " << i;
        EXPECT_LE(spacing, 22053) << "click " << i;
    }
    const double caughtUp = static_cast<double>(placed.frames.back()) - (700.0 + 22050.0 * 119);
    EXPECT_NEAR(caughtUp, ClickChain::MaxSteerFramesPerSecond * 0.5 * 110,
                ClickChain::PairSlackFrames + 1.0);
}

TEST(ClickChain, GivesWayAtOnceToAHopelessShift) {
    ClickChain chain;
    const auto placed = PlaceGrid(
        chain, 20, 500.0, [](int i) { return 700.0 + 22050.0 * i + (i >= 10 ? 8820.0 : 0.0); });
    EXPECT_EQ(placed.frames[10] - placed.frames[9], 22050 + 8820);
    EXPECT_EQ(placed.frames[11] - placed.frames[10], 22050);
}

TEST(ClickChain, ABreakStartsAtTheExactPosition) {
    ClickChain chain;
    EXPECT_EQ(chain.Place(1000.0, 500.4, MsPerFrame), 500);
    EXPECT_EQ(chain.Place(1500.0, 500.4 + 22050.0 + 5.0, MsPerFrame), 500 + 22050 + 1)
        << "steered a frame, not moved to the clock";
    chain.Break();
    EXPECT_EQ(chain.Place(2000.0, 500.4 + 44100.0 + 5.0, MsPerFrame), 500 + 44100 + 5);
}

} // namespace
