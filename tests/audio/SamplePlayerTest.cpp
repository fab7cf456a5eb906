// The one voice that plays samples into the stream, each from its own frame.
#include "SamplePlayer.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Samples whose words are all non-zero and tell which sample and which word is heard.
std::vector<int16_t> Ramp(int16_t first, int16_t step) {
    std::vector<int16_t> words(300);
    for (int16_t i = 0; i < 300; ++i) {
        words[i] = static_cast<int16_t>(first + i * step);
    }
    return words;
}

// Frames 0 to 999, rendered in buffers of 100, every channel checked to carry the same word.
std::vector<int16_t> RenderAll(const SamplePlayer& player) {
    std::vector<int16_t> heard;
    for (int64_t from = 0; from < 1000; from += 100) {
        std::vector<int16_t> buffer(2 * 100, -1);
        player.Render(from, buffer, 2);
        for (std::size_t at = 0; at < buffer.size(); at += 2) {
            heard.push_back(buffer[at]);
            EXPECT_EQ(buffer[at + 1], buffer[at]);
        }
    }
    return heard;
}

// A sample laid before the frames written for good starts right after them, and counts as late;
// one laid later starts on its frame. One voice: the new sample cuts off the one still sounding,
// which fades out within a few frames so that the cut does not click, and a sample plays to its
// end and no further.
TEST(SamplePlayer, EachSampleStartsOnItsFrameAndCutsOffTheOneBefore) {
    SamplePlayer player(SampleBank({{"boom.wav", Ramp(1000, 1)}, {"snare.wav", Ramp(-2000, -1)}}));
    player.PlaySample("boom.wav", 30);
    player.PlaySample("snare.wav", 250);
    EXPECT_EQ(player.TakeRequests(100), 100);
    EXPECT_EQ(player.LateStarts(), 1);
    const std::vector<int16_t> heard = RenderAll(player);
    constexpr int32_t Fade = SamplePlayer::FadeFrames;
    for (int32_t i = 0; i < Fade; ++i) {
        const int32_t boom = 1150 + i; // word 150 + i of the boom
        ASSERT_EQ(heard[250 + i], -2000 - i + boom * (Fade - i) / Fade) << "frame " << i;
    }
    EXPECT_EQ((std::vector{heard[99], heard[100], heard[250 + Fade], heard[549], heard[550]}),
              (std::vector<int16_t>{0, 1000, static_cast<int16_t>(-2000 - Fade), -2299, 0}));
}

// A withdrawal takes back the samples from its frame on, but not one that has started; the
// stream is told from which frame its sound changed, and the stretch rendered again holds what is
// left. Samples that can no longer sound are forgotten, and what is rendered later stays the same.
TEST(SamplePlayer, WithdrawnSamplesAreGoneFromWhatIsRenderedAgain) {
    SamplePlayer player(SampleBank({{"boom.wav", Ramp(1000, 1)}, {"snare.wav", Ramp(-2000, -1)}}));
    for (const int64_t frame : {100, 400, 700}) {
        player.PlaySample("boom.wav", frame);
    }
    player.PlaySample("snare.wav", 800);
    EXPECT_EQ(player.TakeRequests(0), 100);
    EXPECT_EQ(player.TakeRequests(0), SamplePlayer::NoChange);
    player.Withdraw(350);
    EXPECT_EQ(player.TakeRequests(500), 700) << "the boom at 400 has started";
    player.PlaySample("snare.wav", 850);
    EXPECT_EQ(player.TakeRequests(500), 850);
    const std::vector<int16_t> heard = RenderAll(player);
    EXPECT_EQ((std::vector{heard[450], heard[750], heard[950]}),
              (std::vector<int16_t>{1050, 0, -2100}));
    player.Forget(900);
    const std::vector<int16_t> later = RenderAll(player);
    EXPECT_TRUE(std::equal(later.begin() + 900, later.end(), heard.begin() + 900));
}

} // namespace
