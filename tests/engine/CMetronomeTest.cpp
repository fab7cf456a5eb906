#include "CMetronome.h"

#include "SoundOutput.h"
#include "fakes/ManualTickSource.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string DefaultRhythm = "4 xxxx (xxxx xxxx xxxx xxxx)0";

// Events and sample requests in one journal, so that their order is checked as well as their
// content. Sample requests read "play <file> @<due tick>".
class Journal final : public CMetronomeEvents, public SoundOutput {
public:
    void BpmChange() override { Log("BpmChange"); }
    void Click(double& Dlit) override {
        std::ostringstream text;
        text << "Click " << Dlit;
        Log(text.str());
        spans.push_back(Dlit);
    }
    void Step() override { Log("Step"); }
    void PauseChange() override { Log("PauseChange"); }
    void AccelerandoChange() override { Log("AccelerandoChange"); }
    void EnableChange() override { Log("EnableChange"); }
    void PlaySample(std::string_view fileName, double dueTick) override {
        std::ostringstream text;
        text << "play " << fileName << " @" << dueTick;
        Log(text.str());
        plays.push_back({std::string(fileName), dueTick});
    }

    void Log(std::string entry) { entries.push_back(std::move(entry)); }
    void Clear() {
        entries.clear();
        plays.clear();
        spans.clear();
    }
    int Count(const std::string& entry) const {
        int n = 0;
        for (const auto& e : entries) {
            n += e == entry ? 1 : 0;
        }
        return n;
    }

    struct Play {
        std::string file;
        double due;
    };
    std::vector<std::string> entries;
    std::vector<Play> plays;
    std::vector<double> spans;
};

class MetronomeTest : public ::testing::Test {
protected:
    MetronomeTest()
        : metron(ticks, journal) {
        metron.Events(&journal);
    }

    // Starts the engine at the current tick with the given tempo and rhythm, then forgets the
    // events that setting up raised.
    void Start(int32_t bpm, const std::string& rhythm) {
        metron.Pause(false);
        metron.BPM(bpm);
        metron.Track().Rhithm(rhythm);
        ASSERT_EQ(metron.Track().LastCheck(), 1) << rhythm;
        metron.Enable(true);
        journal.Clear();
    }

    // The main loop: one Pulse per millisecond up to (not including) `until`.
    void RunUntil(int32_t until) {
        while (ticks.now < until) {
            metron.Pulse();
            ticks.Advance(1);
        }
    }

    ManualTickSource ticks;
    Journal journal;
    CMetronome metron;
};

TEST_F(MetronomeTest, QuarterNotesAt120StepEvery500msOnTheGrid) {
    Start(120, DefaultRhythm);
    RunUntil(1501);
    const std::vector<std::string> expected = {
        "Step", "play boom.wav @0",    "Click 0.25", "Step", "play boom.wav @500",  "Click 0.25",
        "Step", "play boom.wav @1000", "Click 0.25", "Step", "play boom.wav @1500", "Click 0.25",
    };
    EXPECT_EQ(journal.entries, expected);
    EXPECT_DOUBLE_EQ(metron.NextBeatTime(), 2000.0);
}

TEST_F(MetronomeTest, EachSymbolPlaysItsSampleAndMainBeatsClick) {
    Start(120, "8 x'#^X'");
    RunUntil(1001);
    const std::vector<std::string> expected = {
        "Step", "play boom.wav @0",       "Click 0.25", "Step", "play boomi.wav @250",
        "Step", "play bassdrum.wav @500", "Click 0.25", "Step", "play snare.wav @750",
        "Step", "play boom.wav @1000",    "Click 0.25",
    };
    EXPECT_EQ(journal.entries, expected);
}

TEST_F(MetronomeTest, RestPlaysNothingAndCountsInTheBeatSpan) {
    Start(120, "8 x.^");
    metron.AccelerandoBegin(50.0);
    journal.Clear();
    RunUntil(251);
    // The rest at 250 neither sounds nor moves the accelerando: no BpmChange follows it, and the
    // tempo it leaves is the one set on the beat before.
    const double tempoAfterBeat = 120.0;
    const std::vector<std::string> expected = {
        "Step", "play boom.wav @0", "Click 0.375", "BpmChange", "Step",
    };
    EXPECT_EQ(journal.entries, expected);
    EXPECT_DOUBLE_EQ(metron.Tempo(), tempoAfterBeat);
    RunUntil(ticks.now + 250);
    ASSERT_EQ(journal.plays.size(), 2u);
    EXPECT_EQ(journal.plays[1].file, "snare.wav");
    EXPECT_GT(metron.Tempo(), tempoAfterBeat); // moved by the snare, without an event
    EXPECT_EQ(journal.Count("BpmChange"), 1);
}

TEST_F(MetronomeTest, TempoWritesAreClampedAndAlwaysReported) {
    metron.BPM(10);
    EXPECT_EQ(metron.BPM(), 15);
    metron.BPM(400);
    EXPECT_EQ(metron.BPM(), 320);
    metron.BPM(120);
    EXPECT_EQ(metron.BPM(), 120);
    EXPECT_EQ(journal.Count("BpmChange"), 3);
}

// Lengths are taken only while the cycle is on: pauses of 1 to 99 s, sounding stretches of 1 s on.
TEST_F(MetronomeTest, PauseLengthsAreTakenOnlyWhileTheCycleIsOnAndInRange) {
    metron.PauseSec(10);
    metron.SoundSec(10);
    EXPECT_EQ(metron.PauseSec(), 4);
    EXPECT_EQ(metron.SoundSec(), 20);
    metron.Pause(true);
    for (const int32_t refused : {0, 100}) {
        metron.PauseSec(refused);
    }
    metron.SoundSec(0);
    EXPECT_EQ(metron.PauseSec(), 4);
    EXPECT_EQ(metron.SoundSec(), 20);
    metron.PauseSec(99);
    metron.SoundSec(1);
    EXPECT_EQ(metron.PauseSec(), 99);
    EXPECT_EQ(metron.SoundSec(), 1);
}

TEST_F(MetronomeTest, PauseCycleSilencesOnlyTheSamples) {
    Start(120, DefaultRhythm);
    metron.Pause(true);
    journal.Clear();
    RunUntil(30001);
    std::vector<double> silentSteps;
    double expected = 0.0;
    size_t played = 0;
    for (; expected <= 30000.0; expected += 500.0) {
        if (played < journal.plays.size() && journal.plays[played].due == expected) {
            ++played;
        } else {
            silentSteps.push_back(expected);
        }
    }
    EXPECT_EQ(played, journal.plays.size());
    // 20 s sounding from tick 0, silent after 20 000, a new cycle once 24 000 has passed.
    const std::vector<double> expectedSilence = {20500, 21000, 21500, 22000,
                                                 22500, 23000, 23500, 24000};
    EXPECT_EQ(silentSteps, expectedSilence);
    // Steps and clicks go on through the silence.
    EXPECT_EQ(journal.Count("Step"), 61);
    EXPECT_EQ(journal.Count("Click 0.25"), 61);
}

TEST_F(MetronomeTest, LongStallKeepsTheGridWithoutABurst) {
    Start(320, "16 x'''");
    RunUntil(1);
    journal.Clear();
    ticks.Set(3'600'000); // an hour-long modal dialog
    metron.Pulse();
    EXPECT_EQ(journal.plays.size(), 1u);
    const double step = 60000.0 / 320 * 4 / 16;
    EXPECT_GE(metron.NextBeatTime(), 3'600'000.0);
    EXPECT_LT(metron.NextBeatTime(), 3'600'000.0 + step);
    const double onGrid = metron.NextBeatTime() / step;
    EXPECT_NEAR(onGrid, std::round(onGrid), 1e-6);
}

TEST_F(MetronomeTest, AccelerandoRisesLinearlyAndReportsOnlyOnMainBeats) {
    Start(100, "8 x'x'x'x'");
    metron.AccelerandoBegin(3.0);
    EXPECT_TRUE(metron.Accelerando());
    journal.Clear();
    RunUntil(10'001);
    EXPECT_NEAR(metron.Tempo(), 103.0, 0.1);
    RunUntil(100'001);
    EXPECT_NEAR(metron.Tempo(), 130.0, 0.1);
    // Every BpmChange directly follows a Click: subdivisions move the tempo silently.
    int changes = 0;
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        if (journal.entries[i] == "BpmChange") {
            ++changes;
            ASSERT_GT(i, 0u);
            EXPECT_EQ(journal.entries[i - 1].rfind("Click", 0), 0u) << "entry " << i;
        }
    }
    EXPECT_EQ(changes, journal.Count("Click 0.25"));
    EXPECT_GT(changes, 100);
}

TEST_F(MetronomeTest, AccelerandoStopsMovingAt320) {
    Start(310, DefaultRhythm);
    metron.AccelerandoBegin(50.0);
    RunUntil(10'000);
    EXPECT_GE(metron.Tempo(), 320.0);
    EXPECT_LT(metron.Tempo(), 321.0);
    const double reached = metron.Tempo();
    RunUntil(20'000);
    EXPECT_EQ(metron.Tempo(), reached);
    EXPECT_TRUE(metron.Accelerando());
}

TEST_F(MetronomeTest, AccelerandoRateIsCappedAndALowRateStopsIt) {
    metron.BPM(100);
    metron.AccelerandoBegin(60.0);
    EXPECT_EQ(metron.AcelValue(), 50.0);
    EXPECT_TRUE(metron.Accelerando());
    journal.Clear();
    metron.AcelValue(0.005);
    EXPECT_FALSE(metron.Accelerando());
    EXPECT_EQ(journal.Count("AccelerandoChange"), 1);
    metron.AccelerandoBegin(0.005);
    EXPECT_FALSE(metron.Accelerando());
    metron.AccelerandoBegin(2.0);
    metron.DisableAccelerando();
    EXPECT_FALSE(metron.Accelerando());
    EXPECT_EQ(journal.Count("AccelerandoChange"), 4);
}

TEST_F(MetronomeTest, TempoFactorsScaleTheIntegerTempoAndAreClamped) {
    struct Case {
        int32_t bpm;
        std::string rhythm;
        int32_t after;
    };
    const std::vector<Case> cases = {
        {100, "4 x+5xx", 105}, {100, "4 x-20xx", 80}, {310, "4 x+5xx", 320}, {100, "4 x+0xx", 100}};
    for (const auto& c : cases) {
        ticks.Set(0);
        Start(c.bpm, c.rhythm);
        RunUntil(1);
        EXPECT_EQ(metron.BPM(), c.bpm) << c.rhythm;
        RunUntil(static_cast<int32_t>(60000 / c.bpm) + 2);
        EXPECT_EQ(metron.BPM(), c.after) << c.rhythm;
    }
}

TEST_F(MetronomeTest, EngineWithoutATempoNeitherCrashesNorHangs) {
    metron.Track().Rhithm(DefaultRhythm);
    metron.Enable(true);
    journal.Clear();
    RunUntil(2000);
    EXPECT_TRUE(journal.entries.empty());
    metron.BPM(120);
    journal.Clear();
    RunUntil(2001);
    EXPECT_EQ(journal.plays.size(), 1u);
}

TEST_F(MetronomeTest, BeatSpanLookAheadIsBoundedAndTransparent) {
    // No main beat ever follows the first one: the look-ahead must give up, and the steps that
    // follow are still the rhythm's own.
    Start(120, "4 x('')0");
    RunUntil(1001);
    ASSERT_EQ(journal.spans.size(), 1u);
    EXPECT_DOUBLE_EQ(journal.spans[0], CMetronome::LookAheadLimit * 0.25);
    ASSERT_EQ(journal.plays.size(), 3u);
    EXPECT_EQ(journal.plays[1].file, "boomi.wav");
    EXPECT_EQ(journal.plays[2].file, "boomi.wav");
}

TEST_F(MetronomeTest, GridSurvivesTheTickCounterWrapping) {
    const int32_t start = std::numeric_limits<int32_t>::max() - 1200;
    ticks.Set(start);
    Start(120, DefaultRhythm);
    for (int elapsed = 0; elapsed <= 3000; ++elapsed) {
        ticks.Set(static_cast<int32_t>(static_cast<uint32_t>(start) + elapsed));
        metron.Pulse();
    }
    ASSERT_EQ(journal.plays.size(), 7u);
    for (size_t i = 1; i < journal.plays.size(); ++i) {
        const double gap =
            std::remainder(journal.plays[i].due - journal.plays[i - 1].due, 4294967296.0);
        EXPECT_DOUBLE_EQ(gap, 500.0) << "step " << i;
    }
}

} // namespace

// An owner that sleeps until NextDueTick instead of pulsing every millisecond must hear and see
// exactly the same: the same steps, samples and events at the same ticks, the pause cycle's
// silences included, whose boundaries fall between steps.
TEST(MetronomeWakeTest, WakingOnlyWhenDueMatchesPulsingEveryMillisecond) {
    struct Run {
        ManualTickSource ticks;
        Journal journal;
        CMetronome metron{ticks, journal};
        Run() {
            metron.Events(&journal);
            metron.BPM(37);
            metron.Track().Rhithm("8 x'.^ (x'x. #^)0");
            metron.Pause(true);
            metron.PauseSec(3);
            metron.Enable(true);
        }
    };
    Run polled;
    Run woken;
    constexpr int32_t Until = 100000;
    while (polled.ticks.now < Until) {
        polled.metron.Pulse();
        polled.ticks.Advance(1);
    }
    int wakes = 0;
    while (woken.ticks.now < Until) {
        woken.metron.Pulse();
        ++wakes;
        const auto next = static_cast<int32_t>(std::ceil(woken.metron.NextDueTick()));
        ASSERT_GT(next, woken.ticks.now);
        woken.ticks.Set(next);
    }
    EXPECT_EQ(woken.journal.entries, polled.journal.entries);
    EXPECT_GT(polled.journal.plays.size(), 50U);
    // One wake a step plus two a pause cycle, not one a millisecond.
    EXPECT_LT(wakes, static_cast<int>(polled.journal.Count("Step")) + 2 * (Until / 23000 + 2));
}
