#include "CWave.h"
#include "WaveFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// Rhythm texts of every construct, nested a little, and now and then plain noise.
class RhythmMaker {
public:
    explicit RhythmMaker(uint32_t seed)
        : random(seed) {}

    std::string Text() {
        if (Chance(8)) {
            return Noise();
        }
        std::string text = Chance(6) ? "Title>" : "";
        text += Body(0);
        if (Chance(6)) {
            text += "<notes";
        }
        return text;
    }

private:
    bool Chance(int oneIn) { return Pick(0, oneIn - 1) == 0; }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

    std::string Body(int depth) {
        std::string body;
        const int items = Pick(1, 8);
        for (int i = 0; i < items; ++i) {
            body += Item(depth);
        }
        return body;
    }

    std::string Item(int depth) {
        static const char* const symbols[] = {"x", "X", "'", ".", "#", "^", ".", "x"};
        switch (Pick(0, 9)) {
        case 0:
            return " " + std::to_string(Pick(1, 32)) + " ";
        case 1:
            return Chance(3) ? "+" + std::to_string(Pick(0, 60))
                             : "-" + std::to_string(Pick(0, 60));
        case 2:
            return "/" + std::string(static_cast<std::size_t>(Pick(0, 4)), 'a') + "/";
        case 3:
            if (depth < 3) {
                const std::string count = Chance(3) ? "" : std::to_string(Pick(0, 3));
                return "(" + Body(depth + 1) + ")" + count + " ";
            }
            return " ";
        default:
            return symbols[Pick(0, 7)];
        }
    }

    std::string Noise() {
        static const std::string alphabet = "xX'.#^()/+-<>0123456789 ab";
        std::string text;
        const int length = Pick(0, 14);
        for (int i = 0; i < length; ++i) {
            text += alphabet[static_cast<std::size_t>(Pick(0, int(alphabet.size()) - 1))];
        }
        return text;
    }

    std::mt19937 random;
};

// What a pass must come to, worked out by walking the steps in order: each sound's own step
// rounded, each rest after it added at its exact length and rounded again, rests before the first
// sound taking no time.
struct Expected {
    int32_t steps = 0;
    std::vector<int16_t> samples;
};

int Kind(const std::string& symbol) {
    if (symbol == "x" || symbol == "X") {
        return Boom;
    }
    return symbol == "'" ? Boomi : symbol == "#" ? BassDrum : symbol == "^" ? Snare : 0;
}

Expected Walk(const std::string& text, int32_t tempo) {
    CTrackList track;
    track.Rhithm(text);
    track.NoInfinite(true);
    Expected expected;
    int kind = 0;
    double length = 0.0;
    const auto finishSound = [&] {
        for (int32_t i = 1; i <= static_cast<int32_t>(length); ++i) {
            expected.samples.push_back(i <= SampleLimit(kind) ? SampleWords::Of(kind, i) : 0);
        }
    };
    for (;;) {
        track.StepForward();
        if (track.EndReach()) {
            break;
        }
        ++expected.steps;
        const double exact = 60.0 / tempo * 4.0 / track.CurDuration() * 44100.0;
        if (Kind(track.CurSound()) != 0) {
            finishSound();
            kind = Kind(track.CurSound());
            length = std::nearbyint(exact);
        } else if (kind != 0) {
            length = std::nearbyint(length + exact);
        }
    }
    if (kind != 0) {
        finishSound();
    }
    return expected;
}

TEST(WaveRandom, FilesMatchTheirHeadersAndTheSumOfTheirRoundedSounds) {
    TempFolder samples;
    TempFolder out;
    WriteAllSamples(samples.path);
    RhythmMaker maker(20240611);
    std::mt19937 random(7);
    int rendered = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string text = maker.Text();
        const int32_t tempo = std::uniform_int_distribution<int32_t>(15, 320)(random);
        SCOPED_TRACE("rhythm \"" + text + "\" at " + std::to_string(tempo));

        CWave wave(samples.path);
        std::vector<int32_t> percents;
        wave.OnProgress([&](int32_t& percent) { percents.push_back(percent); });
        wave.Track().Rhithm(text);
        const bool accepted = wave.Track().LastCheck() == 1;
        const Expected expected = accepted ? Walk(text, tempo) : Expected{};
        if (expected.samples.size() > 3000000) {
            continue; // keeps the run short; length is what the limit tests are for
        }
        const auto file = out / ("take" + std::to_string(round) + ".wav");
        const WaveOutcome outcome = wave.MakeFile(file.string(), tempo);
        if (!accepted) {
            EXPECT_EQ(outcome.Error(), WaveError::NoRhythm);
            EXPECT_FALSE(std::filesystem::exists(file));
            continue;
        }
        ASSERT_TRUE(outcome.Ok()) << outcome.Message();
        ++rendered;
        const WaveFile wave_(file);
        ASSERT_GE(wave_.bytes.size(), 44u);
        EXPECT_EQ(wave_.DataSize(), wave_.bytes.size() - 44);
        EXPECT_EQ(wave_.ChunkSize(), wave_.bytes.size() - 8);
        ASSERT_EQ(wave_.Samples(), expected.samples.size());
        for (std::size_t i = 0; i < expected.samples.size(); ++i) {
            if (wave_.Sample(i) != expected.samples[i]) {
                ADD_FAILURE() << "sample " << i << " differs";
                break;
            }
        }
        ASSERT_EQ(percents.size(), static_cast<std::size_t>(expected.steps));
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        std::filesystem::remove(file);
    }
    EXPECT_GT(rendered, 200) << "the maker should mostly produce playable rhythms";
    EXPECT_TRUE(out.Names().empty());
}

} // namespace
