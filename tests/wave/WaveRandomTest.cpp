// Random rhythms at random tempi, each file compared sample by sample with a calculation of its
// own that walks the steps in order.
#include "CWave.h"
#include "WaveFiles.h"
#include "rhythm/TextGenerator.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int Kind(const std::string& symbol) {
    if (symbol == "x" || symbol == "X") {
        return Boom;
    }
    return symbol == "'" ? Boomi : symbol == "#" ? BassDrum : symbol == "^" ? Snare : 0;
}

// Each sound's own step rounded, each rest after it added at its exact length and rounded again,
// rests before the first sound taking no time. Returns the samples, counting the steps.
std::vector<int16_t> Walk(CTrackList track, int32_t tempo, int& steps) {
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
            sounds.push_back({kind, SampleLimit[kind], 0});
            length = std::nearbyint(exact);
        } else {
            length = std::nearbyint(length + exact);
        }
    }
    finishSound();
    return SamplesOf(sounds);
}

TEST(WaveRandom, FilesAreTheSumOfTheirRoundedSounds) {
    TempFolder samples;
    TempFolder out;
    WriteAllSamples(samples);
    TextGenerator generator(20240611);
    const std::string file = (out / "take.wav").string();
    for (int rendered = 0; rendered < 250;) {
        const std::string text = generator.Next();
        const int32_t tempo = generator.Pick(15, 320);
        CTrackList track;
        track.NoInfinite(true);
        track.Rhithm(text);
        // Short passes only: length is what the limit tests are for.
        if (track.LastCheck() == 0 || track.StepsPerPass() > 3000) {
            continue;
        }
        int steps = 0;
        const std::vector<int16_t> expected = Walk(track, tempo, steps);
        if (expected.size() > 3000000) {
            continue;
        }
        SCOPED_TRACE("rhythm \"" + text + "\" at " + std::to_string(tempo));
        CWave wave(samples.path);
        std::vector<int32_t> percents;
        wave.OnProgress([&](int32_t& percent) { percents.push_back(percent); });
        wave.Track().Rhithm(text);
        const WaveOutcome outcome = wave.MakeFile(file, tempo);
        ASSERT_TRUE(outcome.Ok()) << outcome.Message();
        ++rendered;
        ASSERT_EQ(SamplesOf(out.Bytes("take.wav")), expected);
        ASSERT_EQ(percents.size(), static_cast<std::size_t>(steps));
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    }
}

} // namespace
