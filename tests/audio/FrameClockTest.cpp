// The beat's time from the stream's frames, bridged by the steady clock.
#include "FrameClock.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Each step lets the steady clock run, then (unless -1) the stream report frames heard, and then
// reads the time.
struct Step {
    std::chrono::milliseconds advance;
    int64_t heard;
    double ticks;
};

TEST(FrameClock, TheTimeFollowsTheFramesButNeverMovesBackwardsNorLeaps) {
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
        FrameClock::Clock::time_point now{};
        FrameClock fresh{[&now] { return now; }};
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

} // namespace
