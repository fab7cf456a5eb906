// The stream's side of the sound output, over a stream that the test pulls by hand.
#include "StreamOutput.h"

#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A stream that the test pulls one buffer at a time, keeping what it was given.
class PulledSink final : public PcmSink {
public:
    void Start(PcmSource& pulled) override { source = &pulled; }
    void Wake() override { ++wakes; }
    bool Failed() const override { return false; }
    int64_t Underruns() const override { return 0; }

    // Pulls a buffer as a stream with 800 frames in flight does; false once the source lets the
    // stream sleep.
    bool Pull() {
        source->Heard(static_cast<int64_t>(heard.size()) - 800);
        std::vector<int16_t> buffer(StreamOutput::BufferFrames);
        const bool goOn = source->Fill(buffer, 1);
        heard.insert(heard.end(), buffer.begin(), buffer.end());
        return goOn;
    }
    std::vector<int64_t> Onsets() const {
        std::vector<int64_t> onsets;
        for (std::size_t f = 1; f < heard.size(); ++f) {
            if (heard[f] != 0 && heard[f - 1] == 0) {
                onsets.push_back(static_cast<int64_t>(f));
            }
        }
        return onsets;
    }

    PcmSource* source = nullptr;
    int wakes = 0;
    std::vector<int16_t> heard;
};

// The first click after the stream slept is heard as long after its due tick as every other: the
// stream's next frame is heard about at once, the click ScheduleFrames later. The clicks after it
// lie on the frames of their due ticks, exactly as far apart. With the beat off and the last click
// played the stream lingers a little, sleeps, and the next click wakes it and starts afresh.
TEST(StreamOutput, ClicksKeepTheGridFromTheFirstAndTheStreamSleepsBetweenStretches) {
    FrameClock clock;
    auto owned = std::make_unique<PulledSink>();
    PulledSink& sink = *owned;
    StreamOutput sound(
        clock, [&owned](std::string&) { return std::move(owned); },
        SampleBank({{"boom.wav", std::vector<int16_t>(40, 1000)}}));
    ASSERT_TRUE(sound.Sleeping());
    sound.Playing(true);
    const double first = clock.PreciseTicks();
    for (const double after : {0.0, 10.0, 15.125}) {
        sound.PlaySample("boom.wav", first + after);
    }
    EXPECT_EQ(sink.wakes, 1);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(sink.Pull());
    }
    constexpr int64_t S = StreamOutput::ScheduleFrames;
    EXPECT_EQ(sink.Onsets(), (std::vector<int64_t>{S, S + 441, S + 667}));
    EXPECT_DOUBLE_EQ(sound.PlayDelayMs(), S / 44.1);

    sound.Playing(false);
    int buffers = 1;
    while (sink.Pull() && buffers < 1000) {
        ++buffers;
    }
    EXPECT_EQ(buffers, StreamOutput::LingerFrames / StreamOutput::BufferFrames);
    EXPECT_TRUE(sound.Sleeping());

    const auto next = static_cast<int64_t>(sink.heard.size());
    sound.PlaySample("boom.wav", clock.PreciseTicks());
    EXPECT_EQ(sink.wakes, 2);
    for (int i = 0; i < 12; ++i) {
        sink.Pull();
    }
    EXPECT_EQ(sink.Onsets().back(), next + S);
    EXPECT_EQ(sound.LateStarts(), 0);
}

// Without a sound server or device the program runs silently and says why, and the requests made
// meanwhile are dropped. The test runs with no sound server to reach; a machine with a sound card
// of its own has a device, and nothing to prove.
TEST(StreamOutput, NoDeviceMeansSilenceAndAReason) {
    std::string cards;
    std::getline(std::ifstream("/proc/asound/cards"), cards);
    if (!cards.empty() && cards.find("no soundcards") == std::string::npos) {
        GTEST_SKIP() << "this machine has a sound card";
    }
    FrameClock clock;
    StreamOutput sound(clock, &StreamOutput::OpenDefaultSink, SampleBank());
    EXPECT_FALSE(sound.IsOpen());
    EXPECT_NE(sound.Problem().find("sound server"), std::string::npos) << sound.Problem();
    sound.Playing(true);
    sound.PlaySample("boom.wav", clock.PreciseTicks());
}

} // namespace
