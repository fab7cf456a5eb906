#include "SamplePlayer.h"

#include "SampleFile.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <string_view>
#include <vector>

namespace {

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

// Renders buffers of the given sizes in turn and keeps what the stream would play.
struct Stream {
    explicit Stream(SamplePlayer& player)
        : player(player) {}

    SamplePlayer& player;
    std::vector<int16_t> heard;

    void Render(int64_t frames, int32_t channels = 1) {
        std::vector<int16_t> buffer(static_cast<std::size_t>(frames * channels), -1);
        player.Render(buffer, channels);
        for (int64_t f = 0; f < frames; ++f) {
            heard.push_back(buffer[static_cast<std::size_t>(f * channels)]);
            for (int32_t c = 1; c < channels; ++c) {
                ASSERT_EQ(buffer[static_cast<std::size_t>(f * channels + c)], heard.back());
            }
        }
    }
    void RenderUntil(int64_t frame, int64_t frames = 256) {
        while (player.NextFrame() < frame) {
            Render(frames);
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
    std::vector<std::vector<int16_t>> streams;
    for (const int64_t frames : {32, 128, 441, 512}) {
        SamplePlayer player(TestBank());
        Stream stream(player);
        stream.Render(frames);
        player.PlaySample("boom.wav", 1000);
        player.PlaySample("snare.wav", 3333);
        stream.RenderUntil(8000, frames);
        EXPECT_EQ(stream.Onsets(), (std::vector<int64_t>{1000, 3333}));
        stream.heard.resize(8000);
        streams.push_back(stream.heard);
        EXPECT_EQ(player.LateStarts(), 0);
    }
    for (std::size_t i = 1; i < streams.size(); ++i) {
        EXPECT_TRUE(streams[i] == streams[0]) << "buffer size #" << i;
    }
    EXPECT_EQ(streams[0][1000 + 299], 1299);
    EXPECT_EQ(streams[0][1000 + 300], 0) << "a sample plays to its end and no further";
}

TEST(SamplePlayer, RequestWhoseFrameHasPassedStartsWithTheNextBufferAndCountsAsLate) {
    SamplePlayer player(TestBank());
    Stream stream(player);
    stream.Render(512);
    player.PlaySample("boom.wav", 100);
    stream.Render(256);
    EXPECT_EQ(stream.Onsets(), std::vector<int64_t>{512});
    EXPECT_EQ(stream.heard[512], 1000) << "starts from its first word";
    EXPECT_EQ(player.LateStarts(), 1);
}

// One voice: the new sample starts on its own frame and the old one stops, faded out within a few
// frames so that the cut does not click.
TEST(SamplePlayer, NewSampleCutsOffTheOneStillSounding) {
    SamplePlayer player(TestBank());
    Stream stream(player);
    player.PlaySample("snare.wav", 100);
    player.PlaySample("boom.wav", 541);
    stream.RenderUntil(2000);
    const int64_t snareWords = 441;
    for (int64_t i = 0; i < SamplePlayer::FadeFrames; ++i) {
        const int32_t snare = -2000 - static_cast<int32_t>(snareWords + i);
        const int32_t faded =
            snare * (SamplePlayer::FadeFrames - static_cast<int32_t>(i)) / SamplePlayer::FadeFrames;
        ASSERT_EQ(stream.heard[541 + i], 1000 + i + faded) << "frame " << i << " of the cut";
    }
    EXPECT_EQ(stream.heard[541 + SamplePlayer::FadeFrames], 1000 + SamplePlayer::FadeFrames);
}

} // namespace
