// The one voice that plays samples into the stream, each from its own frame.
#include "SamplePlayer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Samples whose words are all non-zero and tell which sample and which word is heard.
std::vector<int16_t> Ramp(int16_t first, int16_t length, int16_t step) {
    std::vector<int16_t> words;
    for (int16_t i = 0; i < length; ++i) {
        words.push_back(static_cast<int16_t>(first + i * step));
    }
    return words;
}

// What the stream plays, rendered in buffers of one size; every channel must carry the same word.
struct Stream {
    SamplePlayer player{
        SampleBank({{"boom.wav", Ramp(1000, 300, 1)}, {"snare.wav", Ramp(-2000, 2000, -1)}})};
    std::vector<int16_t> heard;

    void RenderUntil(int64_t frame, int64_t frames = 256, int32_t channels = 1) {
        while (static_cast<int64_t>(heard.size()) < frame) {
            std::vector<int16_t> buffer(static_cast<std::size_t>(frames * channels), -1);
            player.Render(buffer, channels);
            for (std::size_t at = 0; at < buffer.size(); at += channels) {
                heard.push_back(buffer[at]);
                EXPECT_EQ(buffer[at + channels - 1], buffer[at]);
            }
        }
    }
    std::vector<int64_t> Onsets() const {
        std::vector<int64_t> onsets;
        for (std::size_t f = 0; f < heard.size(); ++f) {
            if (heard[f] != 0 && (f == 0 || heard[f - 1] == 0)) {
                onsets.push_back(static_cast<int64_t>(f));
            }
        }
        return onsets;
    }
};

TEST(SamplePlayer, SampleStartsAtItsFrameWhateverTheBufferSize) {
    std::vector<int16_t> first;
    for (const auto [frames, channels] : {std::pair{32, 1}, {128, 1}, {441, 2}, {512, 1}}) {
        Stream stream;
        stream.RenderUntil(1, frames, channels);
        stream.player.PlaySample("boom.wav", 1000);
        stream.player.PlaySample("snare.wav", 3333);
        stream.RenderUntil(8000, frames, channels);
        EXPECT_EQ(stream.Onsets(), (std::vector<int64_t>{1000, 3333})) << frames;
        EXPECT_EQ(stream.player.LateStarts(), 0);
        stream.heard.resize(8000);
        first = first.empty() ? stream.heard : first;
        EXPECT_TRUE(stream.heard == first) << "buffers of " << frames;
    }
    EXPECT_EQ(first[1000 + 299], 1299);
    EXPECT_EQ(first[1000 + 300], 0) << "a sample plays to its end and no further";
}

TEST(SamplePlayer, RequestWhoseFrameHasPassedStartsWithTheNextBufferAndCountsAsLate) {
    Stream stream;
    stream.RenderUntil(512, 512);
    stream.player.PlaySample("boom.wav", 100);
    stream.RenderUntil(768);
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{512});
    EXPECT_EQ(stream.heard[512], 1000) << "starts from its first word";
    EXPECT_EQ(stream.player.LateStarts(), 1);
}

// One voice: the new sample starts on its own frame and the old one stops, faded out within a few
// frames so that the cut does not click.
TEST(SamplePlayer, NewSampleCutsOffTheOneStillSounding) {
    Stream stream;
    stream.player.PlaySample("snare.wav", 100);
    stream.player.PlaySample("boom.wav", 541);
    stream.RenderUntil(2000);
    constexpr int32_t Fade = SamplePlayer::FadeFrames;
    for (int32_t i = 0; i < Fade; ++i) {
        const int32_t snare = -2000 - 441 - i; // word 441 + i of the snare
        ASSERT_EQ(stream.heard[541 + i], 1000 + i + snare * (Fade - i) / Fade) << "frame " << i;
    }
    EXPECT_EQ(stream.heard[541 + Fade], 1000 + Fade);
}

} // namespace
