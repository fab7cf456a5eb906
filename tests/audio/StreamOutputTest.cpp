#include "StreamOutput.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A stream that takes one buffer each time the test lets it, and keeps what it was given.
class PacedSink final : public PcmSink {
public:
    int32_t Channels() const override { return 1; }
    bool Write(std::span<const int16_t> words) override {
        std::unique_lock lock(mutex);
        taken.wait(lock, [this] { return credits > 0 || closing; });
        if (closing) {
            return false;
        }
        --credits;
        heard.insert(heard.end(), words.begin(), words.end());
        written.notify_all();
        return true;
    }
    double LatencyMs() override { return 20.0; }

    // Lets the stream take `buffers` more.
    void Give(int buffers) {
        std::lock_guard lock(mutex);
        credits += buffers;
        taken.notify_all();
    }
    // Lets the stream take `buffers` more and waits until it has.
    std::vector<int16_t> Take(int buffers) {
        std::unique_lock lock(mutex);
        const std::size_t until =
            heard.size() + static_cast<std::size_t>(buffers) *
                               static_cast<std::size_t>(StreamOutput::BufferFrames);
        credits += buffers;
        taken.notify_all();
        written.wait_for(lock, 10s, [&] { return heard.size() >= until; });
        return heard;
    }
    void Close() {
        std::lock_guard lock(mutex);
        closing = true;
        taken.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable taken;
    std::condition_variable written;
    int credits = 0;
    bool closing = false;
    std::vector<int16_t> heard;
};

std::vector<int16_t> Click() {
    return std::vector<int16_t>(40, 1000);
}

std::vector<int64_t> Onsets(const std::vector<int16_t>& heard) {
    std::vector<int64_t> onsets;
    for (std::size_t f = 0; f < heard.size(); ++f) {
        if (heard[f] != 0 && (f == 0 || heard[f - 1] == 0)) {
            onsets.push_back(static_cast<int64_t>(f));
        }
    }
    return onsets;
}

bool WaitUntilSleeping(const StreamOutput& sound) {
    for (int i = 0; i < 10000 && !sound.Sleeping(); ++i) {
        std::this_thread::yield();
        std::this_thread::sleep_for(1ms);
    }
    return sound.Sleeping();
}

// The first click after the stream slept is heard as long after its due tick as every other: the
// stream's next frame is heard about at once, the click ScheduleFrames later. The clicks after it
// lie on the frames of their due ticks, exactly as far apart; with the beat off and the last click
// played the stream sleeps again.
TEST(StreamOutput, FirstClickStartsTheNextBufferAndTheRestKeepTheGrid) {
    FrameClock clock;
    auto owned = std::make_unique<PacedSink>();
    PacedSink& sink = *owned;
    StreamOutput sound(
        clock, [&owned](std::string&) { return std::move(owned); },
        SampleBank({{"boom.wav", Click()}}));
    ASSERT_TRUE(WaitUntilSleeping(sound)) << "the beat is off and nothing sounds";

    sound.Playing(true);
    const double first = clock.PreciseTicks();
    sound.PlaySample("boom.wav", first);
    sound.PlaySample("boom.wav", first + 10.0);
    sound.PlaySample("boom.wav", first + 15.125);
    const auto heard = sink.Take(20);
    constexpr int64_t S = StreamOutput::ScheduleFrames;
    EXPECT_EQ(Onsets(heard), (std::vector<int64_t>{S, S + 441, S + 667}));
    EXPECT_DOUBLE_EQ(sound.PlayDelayMs(), StreamOutput::ScheduleFrames / 44.1);
    EXPECT_EQ(sound.LateStarts(), 0);

    sound.Playing(false);
    sink.Give(1000);
    EXPECT_TRUE(WaitUntilSleeping(sound));
    sink.Close();
}

TEST(StreamOutput, WithoutAStreamRequestsAreDroppedAndTimeGoesOn) {
    FrameClock clock;
    StreamOutput sound(
        clock,
        [](std::string& problem) {
            problem = "no device";
            return nullptr;
        },
        SampleBank({{"boom.wav", Click()}}));
    EXPECT_FALSE(sound.IsOpen());
    EXPECT_EQ(sound.Problem(), "no device");
    sound.Playing(true);
    sound.PlaySample("boom.wav", clock.PreciseTicks());
    EXPECT_GE(clock.PreciseTicks(), 0.0);
}

} // namespace
