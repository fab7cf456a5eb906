// The beat's time from the stream's frames, bridged by the steady clock.
#include "FrameClock.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

class FrameClockTest : public ::testing::Test {
protected:
    FrameClock::Clock::time_point now{};
    FrameClock clock{[this] { return now; }};
};

// Frames are the time: 441 frames are 10 ms, however the steady clock sees them come.
TEST_F(FrameClockTest, StreamFramesAreTheTimeAndTheSteadyClockFillsTheGaps) {
    clock.Heard(0);
    for (int i = 1; i <= 100; ++i) {
        now += 10010us; // the device runs 0.1 % slow against the steady clock
        clock.Heard(441 * i);
    }
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 1000.0);
    now += 4ms;
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 1004.0);
    EXPECT_EQ(clock.FrameOf(1004.0), 44276);
}

// Each step lets the steady clock run, then (unless -1) the stream report frames heard, and then
// reads the time.
struct Step {
    std::chrono::milliseconds advance;
    int64_t heard;
    double ticks;
};

TEST_F(FrameClockTest, TheTimeNeverMovesBackwardsNorLeaps) {
    const std::vector<Step> scenarios[] = {
        // Requests come in bursts: a report behind the time holds it still rather than turn it
        // back, and the next one lets it go on from the frames.
        {{0ms, 0, 0}, {8ms, -1, 8}, {0ms, 220, 8}, {2ms, -1, 8}, {0ms, 441, 10}},
        // A stream that stops reporting (stalled, failed) leaves the steady clock to carry the
        // time on; when it reports again, far behind, its frames are laid under the time.
        {{0ms, 4410, 100},
         {100ms, -1, 200},
         {1900ms, -1, 2100},
         {0ms, 4851, 2100},
         {10ms, 5292, 2110}},
        // A stream that ran dry skips ahead: the time goes on from where it stood.
        {{0ms, 4410, 100}, {10ms, 26901, 110}},
    };
    for (const std::vector<Step>& steps : scenarios) {
        FrameClock fresh{[this] { return now; }};
        for (const Step& step : steps) {
            now += step.advance;
            if (step.heard >= 0) {
                fresh.Heard(step.heard);
            }
            EXPECT_DOUBLE_EQ(fresh.PreciseTicks(), step.ticks) << "after frame " << step.heard;
        }
        // The last report's frames lie under the time now.
        EXPECT_EQ(fresh.FrameOf(steps.back().ticks), steps.back().heard);
    }
}

// A stream that slept starts again: the step that woke it falls on the stream's next frame, and
// the time goes on from where it stood.
TEST_F(FrameClockTest, RestartLaysTheFramesUnderTheWakingStep) {
    clock.Heard(44100);
    now += 5000ms;
    const double then = clock.PreciseTicks();
    clock.Restart(then - 0.5, 88200);
    EXPECT_EQ(clock.FrameOf(then - 0.5), 88200);
    EXPECT_EQ(clock.FrameOf(then - 0.5 + 500.0), 88200 + 22050);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), then);
    now += 1ms;
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), then + 1.0);
}

} // namespace
