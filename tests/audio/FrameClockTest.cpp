#include "FrameClock.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// The steady clock under the test's hand.
struct Steady {
    FrameClock::Clock::time_point now{};
    void Advance(std::chrono::microseconds by) { now += by; }
};

class FrameClockTest : public ::testing::Test {
protected:
    Steady steady;
    FrameClock clock{[this] { return steady.now; }};
};

// Frames are the time: 441 frames are 10 ms, however the steady clock sees them come.
TEST_F(FrameClockTest, StreamFramesAreTheTimeAndTheSteadyClockFillsTheGaps) {
    clock.Heard(0);
    for (int i = 1; i <= 100; ++i) {
        steady.Advance(10010us); // the device runs 0.1 % slow against the steady clock
        clock.Heard(441 * i);
    }
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 1000.0);
    steady.Advance(4us * 1000);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 1004.0);
    EXPECT_EQ(clock.FrameOf(1004.0), 44276);
}

// Requests come in bursts: a report behind the time holds it still rather than turn it back, and
// the next one lets it go on from the frames.
TEST_F(FrameClockTest, NeverMovesBackwards) {
    clock.Heard(0);
    steady.Advance(8ms);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 8.0);
    clock.Heard(220); // 4.99 ms of frames after 8 ms
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 8.0);
    steady.Advance(2ms);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 8.0);
    clock.Heard(441);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 10.0);
}

// A stream that stops reporting (stalled, failed) leaves the steady clock to carry the time on;
// when it reports again, far behind, its frames are laid under the time instead of stopping it.
TEST_F(FrameClockTest, StallIsBridgedByTheSteadyClockWithoutAJump) {
    clock.Heard(4410);
    steady.Advance(100ms);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 200.0);
    steady.Advance(1900ms);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 2100.0);
    clock.Heard(4410 + 441);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 2100.0);
    steady.Advance(10ms);
    clock.Heard(4410 + 882);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 2110.0);
    EXPECT_EQ(clock.FrameOf(2110.0), 4410 + 882);
}

// A stream that ran dry skips ahead: the time goes on from where it stood instead of leaping
// over the steps in between.
TEST_F(FrameClockTest, LeapOfTheStreamIsNotALeapOfTheTime) {
    clock.Heard(4410);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 100.0);
    steady.Advance(10ms);
    clock.Heard(4410 + 441 + 22050);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), 110.0);
    EXPECT_EQ(clock.FrameOf(110.0), 4410 + 441 + 22050);
}

// A stream that slept starts again: the step that woke it falls on the stream's next frame, and
// the time goes on from where it stood.
TEST_F(FrameClockTest, RestartLaysTheFramesUnderTheWakingStep) {
    clock.Heard(44100);
    steady.Advance(5000ms);
    const double now = clock.PreciseTicks();
    clock.Restart(now - 0.5, 88200);
    EXPECT_EQ(clock.FrameOf(now - 0.5), 88200);
    EXPECT_EQ(clock.FrameOf(now - 0.5 + 500.0), 88200 + 22050);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), now);
    steady.Advance(1ms);
    EXPECT_DOUBLE_EQ(clock.PreciseTicks(), now + 1.0);
}

} // namespace
