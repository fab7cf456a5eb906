// The one voice that plays samples into the stream, each from its own frame.
#include "SamplePlayer.h"

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

// A request whose frame has passed starts with the next buffer, from its first word, and counts as
// late; one due inside a buffer starts on its frame. One voice: the new sample cuts off the one
// still sounding, which fades out within a few frames so that the cut does not click, and a sample
// plays to its end and no further. Every channel carries the same word.
TEST(SamplePlayer, EachSampleStartsOnItsFrameAndCutsOffTheOneBefore) {
    SamplePlayer player(SampleBank({{"boom.wav", Ramp(1000, 1)}, {"snare.wav", Ramp(-2000, -1)}}));
    std::vector<int16_t> heard;
    const auto render = [&] {
        std::vector<int16_t> buffer(2 * 100, -1);
        player.Render(buffer, 2);
        for (std::size_t at = 0; at < buffer.size(); at += 2) {
            heard.push_back(buffer[at]);
            ASSERT_EQ(buffer[at + 1], buffer[at]);
        }
    };
    render();
    player.PlaySample("boom.wav", 30);
    player.PlaySample("snare.wav", 250);
    while (heard.size() < 1000) {
        render();
    }
    EXPECT_EQ(player.LateStarts(), 1);
    EXPECT_EQ(heard[99], 0);
    EXPECT_EQ(heard[100], 1000);
    constexpr int32_t Fade = SamplePlayer::FadeFrames;
    for (int32_t i = 0; i < Fade; ++i) {
        const int32_t boom = 1150 + i; // word 150 + i of the boom
        ASSERT_EQ(heard[250 + i], -2000 - i + boom * (Fade - i) / Fade) << "frame " << i;
    }
    EXPECT_EQ(heard[250 + Fade], -2000 - Fade);
    EXPECT_EQ(heard[250 + 299], -2299);
    EXPECT_EQ(heard[250 + 300], 0);
}

} // namespace
