#include "SamplePlayer.h"

#include "SampleFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr double Latency = 40.0;

// Samples whose words are all non-zero and tell which sample and which word is heard.
std::vector<int16_t> Ramp(int16_t first, std::size_t length, int16_t step) {
    std::vector<int16_t> words(length);
    for (std::size_t i = 0; i < length; ++i) {
        words[i] = static_cast<int16_t>(first + static_cast<int16_t>(i) * step);
    }
    return words;
}

SampleBank TestBank() {
    return SampleBank({{"boom.wav", Ramp(1000, 300, 1)},
                       {"snare.wav", Ramp(-2000, 2000, -1)},
                       {"boomi.wav", Ramp(5000, 40, 3)}});
}

// Stands in for the device: it asks for frame f at startMs + f / rate, the rate `ppm` off the tick
// clock.
class FakeStream {
public:
    explicit FakeStream(SamplePlayer& player)
        : player(player) {}

    double AskMs(int64_t frame) const {
        return startMs + static_cast<double>(frame) * 1000.0 / (44100.0 * (1.0 + ppm * 1e-6));
    }
    double NextAskMs() const { return AskMs(rendered); }

    void Render(int64_t frames, int32_t channels = 1, double lateMs = 0.0) {
        std::vector<int16_t> buffer(static_cast<std::size_t>(frames * channels), -1);
        player.Render(buffer, channels, NextAskMs() + lateMs);
        for (int64_t f = 0; f < frames; ++f) {
            heard.push_back(buffer[static_cast<std::size_t>(f * channels)]);
            for (int32_t c = 1; c < channels; ++c) {
                ASSERT_EQ(buffer[static_cast<std::size_t>(f * channels + c)], heard.back());
            }
        }
        rendered += frames;
    }
    // Renders every buffer that the device asks for before the tick `ms`.
    void RenderUntil(double ms, int64_t frames) {
        while (NextAskMs() < ms) {
            Render(frames);
        }
    }
    // The frame at which a sample due at `dueMs` belongs.
    int64_t FrameOf(double dueMs) const {
        return std::llround((dueMs + Latency - startMs) * 44.1 * (1.0 + ppm * 1e-6));
    }
    // Frames at which a sample starts after silence.
    std::vector<int64_t> Onsets() const {
        std::vector<int64_t> onsets;
        for (std::size_t f = 1; f < heard.size(); ++f) {
            if (heard[f] != 0 && heard[f - 1] == 0) {
                onsets.push_back(static_cast<int64_t>(f));
            }
        }
        return onsets;
    }

    SamplePlayer& player;
    double startMs = 500.3;
    double ppm = 0.0;
    int64_t rendered = 0;
    std::vector<int16_t> heard;
};

class SamplePlayerTest : public ::testing::Test {
protected:
    SamplePlayer player{TestBank(), Latency};
    FakeStream stream{player};
};

TEST_F(SamplePlayerTest, SampleStartsAtTheFrameOfItsDueTickPlusTheLatency) {
    stream.Render(256);
    player.PlaySample("boom.wav", 1000.0);
    stream.RenderUntil(1200.0, 256);
    const int64_t at = stream.FrameOf(1000.0);
    EXPECT_EQ(stream.heard[at - 1], 0);
    for (int64_t i = 0; i < 300; ++i) {
        ASSERT_EQ(stream.heard[at + i], 1000 + i) << "word " << i;
    }
    EXPECT_EQ(stream.heard[at + 300], 0);
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{at});
    EXPECT_EQ(player.LateStarts(), 0);
}

// The main loop plays a step up to a few milliseconds after it was due; the request still carries
// the due tick and lands on the same frame as a punctual one.
TEST_F(SamplePlayerTest, LateRequestWithinTheLatencyStillLandsOnItsFrame) {
    for (const double lateness : {0.0, 1.0, 6.5, 14.0, 25.0, 34.0}) {
        const double due = 1000.0 + 100.0 * lateness;
        stream.RenderUntil(due + lateness, 256);
        player.PlaySample("boom.wav", due);
        stream.RenderUntil(due + 100.0, 256);
        EXPECT_EQ(stream.Onsets().back(), stream.FrameOf(due)) << "late by " << lateness << " ms";
    }
    EXPECT_EQ(player.LateStarts(), 0);
}

// A request made well ahead waits, through buffers that do not hold its frame, for the one that
// does.
TEST_F(SamplePlayerTest, EarlyRequestWaitsForItsBuffer) {
    player.PlaySample("boom.wav", 1500.0);
    stream.RenderUntil(1700.0, 128);
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{stream.FrameOf(1500.0)});
}

// The same requests give the same stream whatever the device's buffer size, a buffer boundary
// falling before, inside or after each sample.
TEST_F(SamplePlayerTest, OutputDoesNotDependOnTheBufferSize) {
    std::vector<std::vector<int16_t>> streams;
    const std::vector<std::vector<int64_t>> bufferSizes{
        {32}, {256}, {441}, {512}, {100, 37, 512, 256}};
    for (const auto& sizes : bufferSizes) {
        SamplePlayer p(TestBank(), Latency);
        FakeStream s(p);
        std::size_t turn = 0;
        for (int step = 0; step < 40; ++step) {
            const double due = 1000.0 + 187.5 * step;
            while (s.NextAskMs() < due + 0.7 * (step % 4)) {
                s.Render(sizes[turn++ % sizes.size()]);
            }
            p.PlaySample(step % 3 == 0 ? "snare.wav" : "boom.wav", due);
        }
        s.RenderUntil(1000.0 + 187.5 * 41, 256);
        s.heard.resize(static_cast<std::size_t>(s.FrameOf(1000.0 + 187.5 * 40)));
        streams.push_back(s.heard);
        EXPECT_EQ(p.LateStarts(), 0);
    }
    for (std::size_t i = 1; i < streams.size(); ++i) {
        EXPECT_TRUE(streams[i] == streams[0]) << "buffer sizes #" << i;
    }
}

TEST_F(SamplePlayerTest, RequestWhoseFrameHasPassedStartsWithTheNextBuffer) {
    stream.RenderUntil(1045.0, 256);
    const int64_t nextBuffer = stream.rendered;
    player.PlaySample("boom.wav", 1000.0);
    stream.Render(256);
    EXPECT_GT(nextBuffer, stream.FrameOf(1000.0));
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{nextBuffer});
    EXPECT_EQ(stream.heard[nextBuffer], 1000) << "starts from its first word";
    EXPECT_EQ(player.LateStarts(), 1);
}

// One voice: the new sample starts on its own frame and the old one stops, faded out within a few
// frames so that the cut does not click.
// The stream stalled for 40 ms: every later frame plays 40 ms later. Once the clock has started
// over, the next click lands on its frame on the new line at once, not a few frames a click.
TEST_F(SamplePlayerTest, ClicksStartAfreshWhenTheStreamBreaksOff) {
    while (!player.Settled()) {
        stream.Render(256);
    }
    const double first = stream.NextAskMs() + 10.0;
    player.PlaySample("boomi.wav", first);
    stream.RenderUntil(first + 200.0, 256);
    stream.startMs += 40.0;
    stream.RenderUntil(stream.NextAskMs() + 800.0, 256);
    ASSERT_EQ(player.ClockRestarts(), 1);
    const double second = stream.NextAskMs() + 10.0;
    player.PlaySample("boomi.wav", second);
    stream.RenderUntil(second + 200.0, 256);
    ASSERT_EQ(stream.Onsets().size(), 2u);
    EXPECT_EQ(stream.Onsets()[1], stream.FrameOf(second));
}

TEST_F(SamplePlayerTest, NewSampleCutsOffTheOneStillSounding) {
    player.PlaySample("snare.wav", 1000.0);
    player.PlaySample("boom.wav", 1010.0);
    stream.RenderUntil(1200.0, 256);
    const int64_t cut = stream.FrameOf(1010.0);
    const int64_t snareWords = cut - stream.FrameOf(1000.0);
    EXPECT_EQ(stream.heard[cut - 1], -2000 - (snareWords - 1));
    for (int64_t i = 0; i < SamplePlayer::FadeFrames; ++i) {
        const int32_t snare = -2000 - static_cast<int32_t>(snareWords + i);
        const int32_t faded =
            snare * (SamplePlayer::FadeFrames - static_cast<int32_t>(i)) / SamplePlayer::FadeFrames;
        ASSERT_EQ(stream.heard[cut + i], 1000 + i + faded) << "frame " << i << " of the cut";
    }
    for (int64_t i = SamplePlayer::FadeFrames; i < 300; ++i) {
        ASSERT_EQ(stream.heard[cut + i], 1000 + i) << "the snare is gone";
    }
    EXPECT_EQ(stream.heard[cut + 300], 0);
}

TEST_F(SamplePlayerTest, SamplePlaysToItsEndWhenNothingFollows) {
    player.PlaySample("snare.wav", 1000.0);
    stream.RenderUntil(1100.0, 256);
    const int64_t at = stream.FrameOf(1000.0);
    EXPECT_EQ(stream.heard[at + 1999], -3999);
    EXPECT_EQ(stream.heard[at + 2000], 0);
}

TEST_F(SamplePlayerTest, StereoDeviceGetsTheSameSignalOnBothChannels) {
    player.PlaySample("boomi.wav", 1000.0);
    while (stream.NextAskMs() < 1100.0) {
        stream.Render(256, 2);
    }
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{stream.FrameOf(1000.0)});
}

TEST_F(SamplePlayerTest, DueTickFarAheadDoesNotHoldUpTheQueue) {
    stream.Render(256);
    player.PlaySample("boom.wav", 1.0e9);
    player.PlaySample("boomi.wav", 1000.0);
    stream.RenderUntil(1100.0, 256);
    const int64_t at = stream.FrameOf(1000.0);
    EXPECT_EQ(stream.Onsets(), (std::vector<int64_t>{256, at}))
        << "the stray request plays at once";
    EXPECT_EQ(stream.heard[at + 1], 5003);
}

// The grid of a long run over a device whose clock runs off the tick clock (or, hardest for the
// rounding, exactly with it, so that the grid distance is a whole number of frames), and whose
// buffers are asked for up to 2 ms late; the main loop plays each step 0 to 3 ms late. The clicks
// must lie at only two neighbouring distances, within a frame of their mean, and keep the tick
// clock's time, not the device's.
struct Grid {
    double ppm;
    double stepMs;
    // The device's reports wander slowly by this much, as a sound server's do.
    double wanderMs = 0.0;
};

class GridOverADevice : public ::testing::TestWithParam<Grid> {};

TEST_P(GridOverADevice, ClicksKeepTheGrid) {
    SamplePlayer p(TestBank(), Latency);
    FakeStream s(p);
    s.ppm = GetParam().ppm;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> lateness(0.0, 3.0);
    std::uniform_real_distribution<double> scatter(0.0, 2.0);
    auto render = [&](double until) {
        while (s.NextAskMs() < until) {
            const double wander = GetParam().wanderMs * std::sin(s.NextAskMs() / 10000.0);
            s.Render(220, 1, scatter(random) + wander);
        }
    };
    while (!p.Settled()) {
        render(s.NextAskMs() + 1.0);
    }
    const double base = s.NextAskMs() + 100.0;
    const double step = GetParam().stepMs;
    const int clicks = static_cast<int>(60000.0 / step);
    for (int i = 0; i < clicks; ++i) {
        const double due = base + step * i;
        render(due + lateness(random));
        p.PlaySample("boomi.wav", due);
    }
    render(base + step * (clicks + 1));
    const auto onsets = s.Onsets();
    ASSERT_EQ(onsets.size(), static_cast<std::size_t>(clicks));
    std::vector<int64_t> intervals;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        intervals.push_back(onsets[i] - onsets[i - 1]);
    }
    const auto [shortest, longest] = std::minmax_element(intervals.begin(), intervals.end());
    EXPECT_LE(*longest - *shortest, 1);
    const double mean = static_cast<double>(onsets.back() - onsets.front()) / (clicks - 1);
    EXPECT_LT(static_cast<double>(*longest) - mean, 1.0);
    EXPECT_LT(mean - static_cast<double>(*shortest), 1.0);
    EXPECT_NEAR(mean, step * 44.1 * (1.0 + GetParam().ppm * 1e-6), 0.1)
        << "the clicks follow the tick clock";
    EXPECT_EQ(p.LateStarts(), 0);
}

INSTANTIATE_TEST_SUITE_P(Devices, GridOverADevice,
                         ::testing::Values(Grid{350.0, 187.5}, Grid{350.0, 500.0}, Grid{0.0, 500.0},
                                           Grid{0.0, 500.0, 0.02}, Grid{-120.0, 250.0, 0.02}));

class MissingSampleFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("pulsara-missing-sample-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(SampleFile::Write(folder / "boom.wav", Ramp(1000, 300, 1)));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

// Only "boom.wav" lies in the folder: the other names play nothing, and do not cut off the sample
// that sounds.
TEST_F(MissingSampleFile, PlaysNothingForThatName) {
    const SampleBank bank = SampleBank::Load(folder);
    EXPECT_EQ(bank.Size(), 4u);
    EXPECT_GE(bank.Find("boom.wav"), 0);
    EXPECT_EQ(bank.Find("snare.wav"), -1);
    SamplePlayer player(bank, Latency);
    FakeStream stream(player);
    player.PlaySample("boom.wav", 1000.0);
    player.PlaySample("snare.wav", 1001.0);
    player.PlaySample("bassdrum.wav", 1500.0);
    player.PlaySample("no such.wav", 1600.0);
    stream.RenderUntil(1800.0, 256);
    const int64_t at = stream.FrameOf(1000.0);
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{at});
    for (int64_t i = 0; i < 300; ++i) {
        ASSERT_EQ(stream.heard[at + i], 1000 + i);
    }
}

} // namespace
