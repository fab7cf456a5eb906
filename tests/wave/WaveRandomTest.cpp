// Random rhythms at random tempi, each file compared sample by sample with a calculation of its
// own that walks the steps in order.
#include "CWave.h"
#include "WaveFiles.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

// Rhythm texts of every construct, nested a little.
class RhythmMaker {
public:
    explicit RhythmMaker(uint32_t seed)
        : random(seed) {}

    std::string Text() {
        return (Pick(0, 5) == 0 ? "Title>" : "") + Body(0) + (Pick(0, 5) == 0 ? "<notes" : "");
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

private:
    std::string Body(int depth) {
        std::string body;
        for (int items = Pick(1, 8); items > 0; --items) {
            switch (Pick(0, 9)) {
            case 0:
                body += " " + std::to_string(Pick(1, 32)) + " ";
                break;
            case 1:
                body += (Pick(0, 2) == 0 ? "+" : "-") + std::to_string(Pick(0, 60));
                break;
            case 2:
                body += "/" + std::string(static_cast<std::size_t>(Pick(0, 4)), 'a') + "/";
                break;
            case 3:
                if (depth < 3) {
                    const std::string count = Pick(0, 2) == 0 ? "" : std::to_string(Pick(0, 3));
                    body += "(" + Body(depth + 1) + ")" + count;
                }
                body += " ";
                break;
            default:
                body += "xX'.#^.x"[Pick(0, 7)];
                break;
            }
        }
        return body;
    }

    std::mt19937 random;
};

int Kind(const std::string& symbol) {
    if (symbol == "x" || symbol == "X") {
        return Boom;
    }
    return symbol == "'" ? Boomi : symbol == "#" ? BassDrum : symbol == "^" ? Snare : 0;
}

// Each sound's own step rounded, each rest after it added at its exact length and rounded again,
// rests before the first sound taking no time. Returns the samples, counting the steps.
std::vector<int16_t> Walk(const std::string& text, int32_t tempo, int& steps) {
    CTrackList track;
    track.Rhithm(text);
    track.NoInfinite(true);
    std::vector<Sound> sounds;
    double length = 0.0;
    const auto finishSound = [&] {
        if (!sounds.empty()) {
            sounds.back().length = static_cast<int32_t>(length);
        }
    };
    for (track.StepForward(); !track.EndReach(); track.StepForward()) {
        ++steps;
        const double exact = 60.0 / tempo * 4.0 / track.CurDuration() * 44100.0;
        if (const int kind = Kind(track.CurSound()); kind != 0) {
            finishSound();
            sounds.push_back({kind, SampleLimit(kind), 0});
            length = std::nearbyint(exact);
        } else {
            length = std::nearbyint(length + exact);
        }
    }
    finishSound();
    return SamplesOf(sounds);
}

TEST(WaveRandom, FilesMatchTheirHeadersAndTheSumOfTheirRoundedSounds) {
    TempFolder samples;
    TempFolder out;
    WriteAllSamples(samples);
    RhythmMaker maker(20240611);
    const std::string file = (out / "take.wav").string();
    int rendered = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string text = maker.Text();
        const int32_t tempo = maker.Pick(15, 320);
        SCOPED_TRACE("rhythm \"" + text + "\" at " + std::to_string(tempo));
        CWave wave(samples.path);
        std::vector<int32_t> percents;
        wave.OnProgress([&](int32_t& percent) { percents.push_back(percent); });
        wave.Track().Rhithm(text);
        if (wave.Track().LastCheck() == 0) {
            continue;
        }
        int steps = 0;
        const std::vector<int16_t> expected = Walk(text, tempo, steps);
        if (expected.size() > 3000000) {
            continue; // keeps the run short; length is what the limit tests are for
        }
        const WaveOutcome outcome = wave.MakeFile(file, tempo);
        ASSERT_TRUE(outcome.Ok()) << outcome.Message();
        ++rendered;
        const std::string bytes = out.Bytes("take.wav");
        ASSERT_GE(bytes.size(), 44u);
        EXPECT_EQ(U32At(bytes, 4), bytes.size() - 8);
        EXPECT_EQ(U32At(bytes, 40), bytes.size() - 44);
        ASSERT_EQ(SamplesOf(bytes), expected);
        ASSERT_EQ(percents.size(), static_cast<std::size_t>(steps));
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        std::filesystem::remove(file);
    }
    EXPECT_GT(rendered, 200) << "the maker should mostly produce playable rhythms";
    EXPECT_TRUE(out.Names().empty());
}

} // namespace
