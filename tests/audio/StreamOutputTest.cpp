// The stream's side of the sound output, over a stream that the test pulls by hand.
#include "StreamOutput.h"

#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

// A stream that the test pulls by hand, keeping what it holds and writing again what changed, as
// the real streams do. Nothing of it has been played.
class PulledSink final : public PcmSink {
public:
    void Start(PcmSource& pulled) override { source = &pulled; }
    void Wake() override { ++wakes; }
    bool Failed() const override { return false; }
    int64_t Underruns() const override { return 0; }

    void Pull(int64_t frames) {
        source->Heard(0);
        const int64_t changed = std::max<int64_t>(source->TakeChanges(FixedFrames), FixedFrames);
        const auto end = static_cast<int64_t>(held.size());
        if (changed < end) {
            source->Render(changed, std::span(held).subspan(static_cast<std::size_t>(changed)), 1);
        }
        held.resize(static_cast<std::size_t>(end + frames));
        source->Render(end, std::span(held).subspan(static_cast<std::size_t>(end)), 1);
    }
    std::vector<int64_t> Onsets() const {
        std::vector<int64_t> onsets;
        for (std::size_t f = 1; f < held.size(); ++f) {
            if (held[f] != 0 && held[f - 1] == 0) {
                onsets.push_back(static_cast<int64_t>(f));
            }
        }
        return onsets;
    }

    PcmSource* source = nullptr;
    int wakes = 0;
    std::vector<int16_t> held;
};

// Samples laid ahead land on their frames; one laid or withdrawn inside what the stream already
// holds makes it write that stretch again. The clock's frames are the stream's.
TEST(StreamOutput, SamplesLandOnTheirFramesAndChangesAreWrittenAgain) {
    FrameClock clock([] { return FrameClock::Clock::time_point{}; });
    auto owned = std::make_unique<PulledSink>();
    PulledSink& sink = *owned;
    StreamOutput sound(
        clock, [&owned](std::string&) { return std::move(owned); },
        SampleBank({{"boom.wav", std::vector<int16_t>(40, 1000)}}));
    ASSERT_TRUE(sound.IsOpen());
    EXPECT_EQ(sound.EarliestFrame(1000), 1000 + StreamOutput::LeadFrames);
    sound.PlaySample("boom.wav", 3000);
    sink.Pull(2000);
    sound.PlaySample("boom.wav", 500);
    sound.PlaySample("boom.wav", 1500);
    sink.Pull(2000);
    EXPECT_EQ(sink.Onsets(), (std::vector<int64_t>{500, 1500, 3000}));
    sound.Withdraw(1000);
    sink.Pull(0);
    EXPECT_EQ(sink.Onsets(), (std::vector<int64_t>{500}));
    EXPECT_EQ(std::pair(sink.wakes, sound.LateStarts()), std::pair(4, int64_t{0}));
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
    EXPECT_EQ(sound.EarliestFrame(100), 100);
    sound.PlaySample("boom.wav", clock.Frames());
}

} // namespace
