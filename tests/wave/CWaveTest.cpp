#include "CWave.h"

#include "WaveFiles.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Renders with samples of recognisable words, journalling progress and message delivery in order.
class WaveRender : public ::testing::Test {
protected:
    WaveRender() { WriteAllSamples(samples.path); }

    WaveOutcome Render(const std::string& rhythm, int32_t tempo,
                       const std::string& name = "out.wav") {
        CWave wave(samples.path, [this] { journal.push_back("events"); });
        wave.OnProgress([this](int32_t& percent) {
            percents.push_back(percent);
            journal.push_back(std::to_string(percent));
        });
        wave.Track().Rhithm(rhythm);
        EXPECT_EQ(wave.Track().LastCheck(), 1) << rhythm;
        return wave.MakeFile((out / name).string(), tempo);
    }

    WaveFile Rendered(const std::string& rhythm, int32_t tempo) {
        const WaveOutcome outcome = Render(rhythm, tempo);
        EXPECT_TRUE(outcome.Ok()) << outcome.Message();
        return WaveFile(out / "out.wav");
    }

    // The file is a header and then, for each sound, `copied` words of `kind` and silence up to
    // `length` samples.
    struct Sound {
        int kind;
        int32_t copied;
        int32_t length;
    };
    void ExpectSounds(const WaveFile& wave, const std::vector<Sound>& sounds) {
        uint32_t samplesInAll = 0;
        for (const Sound& s : sounds) {
            samplesInAll += static_cast<uint32_t>(s.length);
        }
        ASSERT_EQ(wave.bytes.size(), 44 + 2 * std::size_t{samplesInAll});
        EXPECT_EQ(std::vector<unsigned char>(wave.bytes.begin(), wave.bytes.begin() + 44),
                  ExpectedHeader(2 * samplesInAll));
        std::size_t at = 0;
        for (const Sound& s : sounds) {
            at = ExpectSound(wave, at, s.kind, s.copied, s.length);
        }
    }

    TempFolder samples;
    TempFolder out;
    std::vector<int32_t> percents;
    std::vector<std::string> journal;
};

TEST_F(WaveRender, EighthNotesAt120AreByteExactWithProgressAfterEveryStep) {
    const WaveFile wave = Rendered("8 xx xx xx xx", 120);
    EXPECT_EQ(wave.bytes.size(), 176444u);
    EXPECT_EQ(wave.ChunkSize(), 176436u);
    EXPECT_EQ(wave.DataSize(), 176400u);
    ExpectSounds(wave, std::vector<Sound>(8, {Boom, 6161, 11025}));
    EXPECT_EQ(percents, (std::vector<int32_t>{12, 25, 38, 50, 62, 75, 88, 100}));
    // The window gets its messages after each percentage, so the label repaints as it goes.
    EXPECT_EQ(journal, (std::vector<std::string>{"12", "events", "25", "events", "38", "events",
                                                 "50", "events", "62", "events", "75", "events",
                                                 "88", "events", "100", "events"}));
    EXPECT_EQ(out.Names(), std::set<std::string>{"out.wav"});
}

TEST_F(WaveRender, SoundStepIsRoundedAndRoundedAgainWithEachRest) {
    // At 96 a quarter note is 27562.5 samples: the sound's own step rounds to 27562, and with its
    // rest 27562 + 27562.5 rounds to 55124 (rounding the pair once would give 55125).
    ExpectSounds(Rendered("4 x.x.", 96), {{Boom, 6161, 55124}, {Boom, 6161, 55124}});
}

TEST_F(WaveRender, ASilenceLongerThanTheWriteBufferIsWrittenWhole) {
    // A whole note at 15 is 16 s: its silence alone runs past the end of the file's write buffer.
    ExpectSounds(Rendered("1 xx", 15), {{Boom, 6161, 705600}, {Boom, 6161, 705600}});
}

TEST_F(WaveRender, PercentIsStepsDoneTimesTheFactorRoundedHalfToEven) {
    Rendered("24 xxxxxx xxxxxx xxxxxx xxxxxx", 120);
    // Step 15 gives 15 * (100 / 24) = 62.50000000000001, which rounds up.
    EXPECT_EQ(percents, (std::vector<int32_t>{4,  8,  12, 17, 21, 25, 29, 33, 38, 42, 46, 50,
                                              54, 58, 63, 67, 71, 75, 79, 83, 88, 92, 96, 100}));
}

TEST_F(WaveRender, MissingAndShortSamplesRenderSilenceForTheWordsTheyLack) {
    WriteSample(samples.path, Boom, 100);
    std::filesystem::remove(samples / "boomi.wav");
    // Ten words and a lone byte: the byte is no word.
    WriteSample(samples.path, Snare, 10);
    std::ofstream(samples / "snare.wav", std::ios::binary | std::ios::app).put('\x7F');
    const auto before = samples.Names();

    ExpectSounds(Rendered("8 x'^x", 120),
                 {{Boom, 100, 11025}, {Boomi, 0, 11025}, {Snare, 10, 11025}, {Boom, 100, 11025}});
    EXPECT_EQ(samples.Names(), before) << "the sample folder must never be written to";
}

TEST_F(WaveRender, RendersWhileTheTargetStillHoldsTheOldFileAndReplacesItAtTheEnd) {
    const auto target = out / "out.wav";
    std::ofstream(target) << "the old take";
    std::vector<std::string> seen;
    CWave wave(samples.path, [&] {
        const std::vector<unsigned char> now = ReadBytes(target);
        seen.emplace_back(now.begin(), now.end());
        EXPECT_EQ(out.Names().size(), 1u) << "the render goes to an unnamed file of its own";
    });
    wave.Track().Rhithm("8 xx xx");
    ASSERT_TRUE(wave.MakeFile(target.string(), 120).Ok());
    EXPECT_EQ(seen, std::vector<std::string>(4, "the old take"));
    EXPECT_EQ(WaveFile(target).DataSize(), 4u * 2 * 11025);
    EXPECT_EQ(out.Names(), std::set<std::string>{"out.wav"});
}

TEST_F(WaveRender, FileInTheCurrentFolderNeedsNoFolderPart) {
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path);
    CWave wave(samples.path);
    wave.Track().Rhithm("8 xx");
    const WaveOutcome outcome = wave.MakeFile("here.wav", 120);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(outcome.Ok()) << outcome.Message();
    EXPECT_EQ(WaveFile(out / "here.wav").DataSize(), 2u * 2 * 11025);
}

} // namespace
