// The beat's time from the stream's frames, bridged by the steady clock.
#include "FrameClock.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Each step lets the steady clock run, then (unless -1) the stream report frames heard, and then
// reads the frames.
using Step = std::tuple<std::chrono::milliseconds, int64_t, int64_t>;

TEST(FrameClock, TheTimeFollowsTheFramesButNeverMovesBackwardsNorLeaps) {
    const std::vector<Step> scenarios[] = {
        // Requests come in bursts: a report behind the time holds it still rather than turn it
        // back, and the next one lets it go on from the frames.
        {{0ms, 0, 0}, {8ms, -1, 352}, {0ms, 220, 352}, {2ms, -1, 352}, {0ms, 441, 441}},
        // A stream that stops reporting (stalled, failed) leaves the steady clock to carry the
        // time on; when it reports again, far behind, its frames are laid under the time.
        {{0ms, 4410, 4410},
         {100ms, -1, 8820},
         {1900ms, -1, 92610},
         {0ms, 4851, 92610},
         {10ms, 5292, 93051}},
        // A stream that ran dry skips ahead: the time goes on from where it stood.
        {{0ms, 4410, 4410}, {10ms, 26901, 4851}},
    };
    for (const std::vector<Step>& steps : scenarios) {
        FrameClock::Clock::time_point now{};
        FrameClock fresh{[&now] { return now; }};
        for (const auto& [advance, heard, frames] : steps) {
            now += advance;
            if (heard >= 0) {
                fresh.Heard(heard);
            }
            EXPECT_EQ(fresh.Frames(), frames) << "after frame " << heard;
        }
        // The last report's frame plays at the time now.
        const auto& [advance, heard, frames] = steps.back();
        EXPECT_EQ(fresh.StreamFrame(frames), heard);
        EXPECT_EQ(fresh.SteadyMs(), (now - FrameClock::Clock::time_point{}) / 1ms);
    }
}

} // namespace
