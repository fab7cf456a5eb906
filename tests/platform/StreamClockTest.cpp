#include "StreamClock.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr double Rate = 44100.0;
constexpr int64_t Buffer = 512;

// A device whose sample clock runs `ppm` off the tick clock. For each buffer it reports the tick
// at which it expects to play the buffer's first frame; the estimate is off by up to `noiseMs`
// either way, and now and then wildly, by `wildMs`.
struct Device {
    double ppm = 0.0;
    double noiseMs = 0.0;
    double wildMs = 0.0;
    double startMs = 1000.0;
    std::mt19937 random{7};

    double TrueMs(int64_t frame) const {
        return startMs + static_cast<double>(frame) * 1000.0 / (Rate * (1.0 + ppm * 1e-6));
    }
    double TrueFrame(double ms) const {
        return (ms - startMs) * Rate * (1.0 + ppm * 1e-6) / 1000.0;
    }
    double Report(int64_t frame) {
        std::uniform_real_distribution<double> noise(-noiseMs, noiseMs);
        const bool wild = wildMs != 0.0 && random() % 37 == 0;
        return TrueMs(frame) + noise(random) + (wild ? wildMs : 0.0);
    }
};

int64_t Feed(StreamClock& clock, Device& device, int64_t from, double seconds) {
    const auto buffers = static_cast<int64_t>(seconds * Rate / Buffer);
    for (int64_t b = 0; b < buffers; ++b) {
        clock.Observe(from, device.Report(from));
        from += Buffer;
    }
    return from;
}

TEST(StreamClock, FindsTheDeviceRateFromExactReports) {
    StreamClock clock(Rate);
    Device device{.ppm = 330.0};
    const int64_t end = Feed(clock, device, 0, 5.0);
    EXPECT_NEAR(clock.MsPerFrame(), 1000.0 / (Rate * 1.00033), 1e-10);
    const double later = device.TrueMs(end) + 50.0;
    EXPECT_NEAR(clock.FrameAt(later), device.TrueFrame(later), 0.01);
}

TEST(StreamClock, SettlesAfterTenSecondsOfSteadyReports) {
    StreamClock clock(Rate);
    Device device{.ppm = -200.0, .noiseMs = 0.05};
    EXPECT_FALSE(clock.Valid());
    const int64_t next = Feed(clock, device, 0, 9.5);
    EXPECT_TRUE(clock.Valid());
    EXPECT_FALSE(clock.Settled());
    Feed(clock, device, next, 1.5);
    EXPECT_TRUE(clock.Settled());
}

// The estimates tremble either way and now and then one is far off: the line neither follows the
// wild ones nor wobbles with the rest. From one quarter second to the next it moves by a small
// fraction of a sample, and its slope is right to a ppm.
TEST(StreamClock, NoisyAndWildReportsNeitherPullNorShakeTheLine) {
    StreamClock clock(Rate);
    Device device{.ppm = -420.0, .noiseMs = 0.05, .wildMs = 15.0};
    int64_t frame = Feed(clock, device, 0, 30.0);
    double worstError = 0.0;
    double worstStep = 0.0;
    double previous = 0.0;
    for (int b = 0; b < 3000; ++b) {
        clock.Observe(frame, device.Report(frame));
        frame += Buffer;
        const double probe = device.TrueMs(frame) + 90.0;
        const double mapped = clock.FrameAt(probe);
        worstError = std::max(worstError, std::abs(mapped - device.TrueFrame(probe)));
        if (b > 0) {
            worstStep = std::max(worstStep, std::abs(mapped - previous - Buffer));
        }
        previous = mapped;
    }
    EXPECT_LT(worstError, 0.5);
    EXPECT_LT(worstStep, 0.05);
    const double rateError = (1000.0 / (Rate * (1.0 - 420e-6))) / clock.MsPerFrame() - 1.0;
    EXPECT_LT(std::abs(rateError), 1e-6);
    EXPECT_EQ(clock.Restarts(), 0);
}

// A device clock that warms up and slows by 100 ppm in two minutes, faster than a real one: the
// line lags it by a few frames and a few ppm.
TEST(StreamClock, FollowsADeviceClockThatDrifts) {
    StreamClock clock(Rate);
    double ms = 0.0;
    int64_t frame = 0;
    double worst = 0.0;
    double ppm = 300.0;
    while (frame < static_cast<int64_t>(120 * Rate)) {
        ppm = 300.0 - 100.0 * static_cast<double>(frame) / (120 * Rate);
        clock.Observe(frame, ms);
        if (frame > static_cast<int64_t>(10 * Rate)) {
            worst = std::max(worst, std::abs(clock.FrameAt(ms) - static_cast<double>(frame)));
        }
        frame += Buffer;
        ms += Buffer * 1000.0 / (Rate * (1.0 + ppm * 1e-6));
    }
    EXPECT_LT(worst, 5.0);
    const double rateError = (1000.0 / (Rate * (1.0 + ppm * 1e-6))) / clock.MsPerFrame() - 1.0;
    EXPECT_LT(std::abs(rateError), 15e-6);
    EXPECT_EQ(clock.Restarts(), 0);
}

// After the stream starts, the sound server's estimates lead by 8 ms and fall back over several
// seconds, the way its smoothing settles on a busy machine. A line through that bend would be
// tilted by hundreds of ppm: the clock waits it out, and once it calls itself settled its rate is
// right to the tolerance of its bend test.
TEST(StreamClock, WaitsOutTheBendOfTheEstimatesAfterStart) {
    StreamClock clock(Rate);
    Device device{.ppm = 43.0, .noiseMs = 0.02};
    int64_t frame = 0;
    const auto feedBent = [&](double seconds) {
        const auto buffers = static_cast<int64_t>(seconds * Rate / Buffer);
        for (int64_t b = 0; b < buffers; ++b) {
            const double since = (device.TrueMs(frame) - device.startMs) / 1000.0;
            clock.Observe(frame, device.Report(frame) - 8.0 * std::exp(-since / 6.0));
            frame += Buffer;
        }
    };
    feedBent(12.0);
    EXPECT_FALSE(clock.Settled());
    while (!clock.Settled() && frame < static_cast<int64_t>(60 * Rate)) {
        feedBent(0.25);
    }
    ASSERT_TRUE(clock.Settled());
    const double rateError = (1000.0 / (Rate * (1.0 + 43e-6))) / clock.MsPerFrame() - 1.0;
    EXPECT_LT(std::abs(rateError), StreamClock::BendTolerance);
}

// A whole quarter second of estimates 10 ms off is taken for a passing fault of the estimate.
TEST(StreamClock, OneWindowOffTheLineIsIgnored) {
    StreamClock clock(Rate);
    Device device{.ppm = 100.0};
    int64_t frame = Feed(clock, device, 0, 11.0);
    ASSERT_TRUE(clock.Settled());
    const double probe = device.TrueMs(frame) + 400.0;
    const double before = clock.FrameAt(probe);
    device.startMs += 10.0;
    frame = Feed(clock, device, frame, 0.3);
    device.startMs -= 10.0;
    Feed(clock, device, frame, 0.3);
    EXPECT_EQ(clock.Restarts(), 0);
    EXPECT_NEAR(clock.FrameAt(probe), before, 0.05);
    EXPECT_TRUE(clock.Settled());
}

// The stream ran dry for 40 ms (an underrun): every frame is now played 40 ms later than before.
// The fit starts over from the new position but keeps the device's rate.
TEST(StreamClock, ABreakInTheStreamStartsTheFitAfresh) {
    StreamClock clock(Rate);
    Device device{.ppm = 250.0, .noiseMs = 0.05};
    int64_t frame = Feed(clock, device, 0, 11.0);
    ASSERT_TRUE(clock.Settled());
    const double rate = clock.MsPerFrame();
    device.startMs += 40.0;
    frame = Feed(clock, device, frame, 0.8);
    EXPECT_EQ(clock.Restarts(), 1);
    EXPECT_FALSE(clock.Settled());
    EXPECT_NEAR(clock.MsPerFrame() / rate, 1.0, 1e-6);
    const double soon = device.TrueMs(frame) + 90.0;
    EXPECT_NEAR(clock.FrameAt(soon), device.TrueFrame(soon), 1.0);
    Feed(clock, device, frame, 10.5);
    EXPECT_TRUE(clock.Settled());
}

// At start-up the device takes a few buffers at once to fill its queue, with estimates that are
// far off, and only then reports steadily.
TEST(StreamClock, StartUpBurstDoesNotSpoilTheFit) {
    StreamClock clock(Rate);
    for (int64_t b = 0; b < 5; ++b) {
        clock.Observe(b * Buffer, 0.01 * static_cast<double>(b));
    }
    Device device{.ppm = 500.0, .noiseMs = 0.05, .startMs = 800.0};
    const int64_t frame = Feed(clock, device, 5 * Buffer, 11.0);
    EXPECT_TRUE(clock.Settled());
    const double probe = device.TrueMs(frame);
    EXPECT_NEAR(clock.FrameAt(probe), device.TrueFrame(probe), 0.5);
    EXPECT_NEAR(clock.MsPerFrame(), 1000.0 / (Rate * 1.0005), 1000.0 / Rate * 2e-6);
}

// Its first estimate, taken before the device plays anything, says the buffer plays at once; the
// rest are right. One bad report among the first quarter second's must not tilt the line.
TEST(StreamClock, AFirstEstimateFarOffDoesNotTiltTheLine) {
    StreamClock clock(Rate);
    Device device{.ppm = 40.0, .noiseMs = 0.02};
    clock.Observe(0, device.TrueMs(0) - 45.0);
    const int64_t frame = Feed(clock, device, Buffer, 11.0);
    ASSERT_TRUE(clock.Settled());
    EXPECT_NEAR(clock.MsPerFrame(), 1000.0 / (Rate * 1.00004), 1000.0 / Rate * 1e-6);
    const double probe = device.TrueMs(frame) + 90.0;
    EXPECT_NEAR(clock.FrameAt(probe), device.TrueFrame(probe), 0.5);
}

} // namespace
