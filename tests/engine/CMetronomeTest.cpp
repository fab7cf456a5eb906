#include "CMetronome.h"

#include "SoundOutput.h"
#include "fakes/ManualTickSource.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

// Events and sample requests in one journal, so that their order is checked as well as their
// content; the due ticks of the samples are kept apart.
class Journal final : public CMetronomeEvents, public SoundOutput {
public:
    void BpmChange() override { entries.push_back("BpmChange"); }
    void Click(double& Dlit) override { entries.push_back("Click " + std::to_string(Dlit)); }
    void Step() override { entries.push_back("Step"); }
    void AccelerandoChange() override { entries.push_back("AccelerandoChange"); }
    void PlaySample(std::string_view fileName, double dueTick) override {
        entries.push_back("play " + std::string(fileName));
        plays.push_back(dueTick);
    }
    long Count(const std::string& entry) const {
        return std::count(entries.begin(), entries.end(), entry);
    }

    Entries entries;
    std::vector<double> plays;
};

struct Rig {
    Rig() { metron.Events(&journal); }

    // Starts the engine at the current tick, then forgets the events that setting up raised.
    void Start(int32_t bpm, const std::string& rhythm) {
        metron.BPM(bpm);
        metron.Track().Rhithm(rhythm);
        ASSERT_EQ(metron.Track().LastCheck(), 1) << rhythm;
        metron.Enable(true);
        journal = Journal{};
    }

    // The main loop without sleeping: one Pulse per millisecond up to (not including) `until`.
    void RunUntil(int32_t until) {
        for (; ticks.now < until; ++ticks.now) {
            metron.Pulse();
        }
    }

    ManualTickSource ticks;
    Journal journal;
    CMetronome metron{ticks, journal};
};

class MetronomeTest : public ::testing::Test, public Rig {};

// A rest only steps; it counts in the span of the main beat before it.
TEST_F(MetronomeTest, EachSymbolPlaysItsSampleOnTheGridAndOnlyMainBeatsClick) {
    Start(120, "8 x'#.^X'");
    RunUntil(1251);
    const Entries expected = {
        "Step",           "play boom.wav", "Click 0.250000",    "Step",
        "play boomi.wav", "Step",          "play bassdrum.wav", "Click 0.375000",
        "Step",           "Step",          "play snare.wav",    "Step",
        "play boom.wav",  "Click 0.250000"};
    EXPECT_EQ(journal.entries, expected);
    EXPECT_EQ(journal.plays, (std::vector<double>{0, 250, 500, 1000, 1250}));
    EXPECT_DOUBLE_EQ(metron.NextBeatTime(), 1500.0);
}

// Out-of-range writes are clamped (tempo) or refused (pause lengths, taken only while the cycle
// is on).
TEST_F(MetronomeTest, WritesAreClampedOrRefusedAtTheirLimits) {
    const auto bpm = [&](int32_t value) {
        metron.BPM(value);
        return metron.BPM();
    };
    const auto pause = [&](int32_t value) {
        metron.PauseSec(value);
        return metron.PauseSec();
    };
    const auto sound = [&](int32_t value) {
        metron.SoundSec(value);
        return metron.SoundSec();
    };
    EXPECT_EQ((std::vector<int32_t>{pause(10), sound(10)}), (std::vector<int32_t>{4, 20}));
    metron.Pause(true);
    // Braced lists are evaluated in order.
    EXPECT_EQ((std::vector<int32_t>{bpm(10), bpm(400), pause(99), pause(100), pause(1), pause(0),
                                    sound(1), sound(0)}),
              (std::vector<int32_t>{15, 320, 99, 99, 1, 1, 1, 1}));
    EXPECT_EQ(journal.Count("BpmChange"), 2) << "every tempo write is reported";
}

// 20 s sounding from tick 0, silent after 20 000, a new cycle once 24 000 has passed; steps and
// clicks go on through the silence.
TEST_F(MetronomeTest, PauseCycleSilencesOnlyTheSamples) {
    metron.Pause(true);
    Start(120, "4 xxxx");
    RunUntil(30001);
    ASSERT_EQ(journal.plays.size(), 61u - 8u); // 20 500 to 24 000 silent
    EXPECT_EQ(journal.plays[40], 20000.0);
    EXPECT_EQ(journal.plays[41], 24500.0);
    EXPECT_EQ(journal.Count("Step"), 61);
    EXPECT_EQ(journal.Count("Click 0.250000"), 61);
}

// After an hour-long modal dialog: one step, not a burst, and the next one back on the grid.
TEST_F(MetronomeTest, LongStallPlaysOnceAndKeepsTheGrid) {
    Start(320, "16 x'''");
    RunUntil(1);
    ticks.now = 3'600'000;
    metron.Pulse();
    EXPECT_EQ(journal.plays.size(), 2u);
    const double step = 60000.0 / 320 * 4 / 16;
    EXPECT_GE(metron.NextBeatTime(), 3'600'000.0);
    EXPECT_LT(metron.NextBeatTime(), 3'600'000.0 + step);
    EXPECT_NEAR(std::remainder(metron.NextBeatTime(), step), 0.0, 1e-6) << "off the grid";
}

// A rate of 60 is capped at 50 a second per ten seconds: from 100, 150 after 10 s and the ceiling
// of 320 after 44 s. A rate below 0.01 ends the accelerando.
TEST_F(MetronomeTest, AccelerandoRisesLinearlyToTheCeilingAndReportsOnlyAfterAClick) {
    Start(100, "8 x'x'x'x'");
    metron.AccelerandoBegin(60.0);
    EXPECT_EQ(metron.AcelValue(), 50.0);
    journal = Journal{};
    RunUntil(10'001);
    EXPECT_NEAR(metron.Tempo(), 150.0, 0.5);
    RunUntil(50'000); // unbounded, 350
    EXPECT_NEAR(metron.Tempo(), 320.5, 0.5);
    for (size_t i = 1; i < journal.entries.size(); ++i) {
        if (journal.entries[i] == "BpmChange") {
            EXPECT_EQ(journal.entries[i - 1], "Click 0.250000") << "entry " << i;
        }
    }
    EXPECT_GT(journal.Count("BpmChange"), 100);
    metron.AccelerandoBegin(0.01);
    EXPECT_TRUE(metron.Accelerando());
    metron.AccelerandoBegin(0.005);
    EXPECT_FALSE(metron.Accelerando());
    metron.AccelerandoBegin(2.0);
    metron.DisableAccelerando();
    EXPECT_FALSE(metron.Accelerando());
    EXPECT_EQ(journal.Count("AccelerandoChange"), 4);
}

TEST_F(MetronomeTest, TempoFactorsScaleTheTempoAfterTheirStepWithinTheLimits) {
    const std::tuple<int32_t, const char*, int32_t> cases[] = {{100, "4 x-20xx", 80},
                                                               {310, "4 x+5xx", 320}};
    for (const auto& [bpm, rhythm, after] : cases) {
        ticks.now = 0;
        Start(bpm, rhythm);
        RunUntil(1);
        EXPECT_EQ(metron.BPM(), bpm) << rhythm;
        RunUntil(60000 / bpm + 2);
        EXPECT_EQ(metron.BPM(), after) << rhythm;
    }
}

// No main beat ever follows the first one: the look-ahead must give up, and the steps that follow
// are still the rhythm's own.
TEST_F(MetronomeTest, BeatSpanLookAheadIsBoundedAndLeavesTheCursorAlone) {
    Start(120, "4 x('')0");
    RunUntil(1001);
    EXPECT_EQ(journal.Count("Click " + std::to_string(CMetronome::LookAheadLimit * 0.25)), 1);
    EXPECT_EQ(journal.entries.back(), "play boomi.wav");
}

// An owner that sleeps until NextDueTick must hear and see exactly what one pulsing every
// millisecond does, the pause cycle's silences included, whose boundaries fall between steps.
TEST(MetronomeWakeTest, WakingOnlyWhenDueMatchesPulsingEveryMillisecond) {
    Rig polled, woken;
    for (Rig* rig : {&polled, &woken}) {
        rig->metron.Pause(true);
        rig->metron.PauseSec(3);
        rig->Start(37, "8 x'.^ (x'x. #^)0");
    }
    constexpr int32_t Until = 100000;
    polled.RunUntil(Until);
    int wakes = 0;
    for (; woken.ticks.now < Until; ++wakes) {
        woken.metron.Pulse();
        const auto next = static_cast<int32_t>(std::ceil(woken.metron.NextDueTick()));
        ASSERT_GT(next, woken.ticks.now);
        woken.ticks.now = next;
    }
    EXPECT_EQ(woken.journal.entries, polled.journal.entries);
    EXPECT_EQ(woken.journal.plays, polled.journal.plays);
    EXPECT_GT(polled.journal.plays.size(), 50U);
    // One wake a step plus two a pause cycle, not one a millisecond.
    EXPECT_LT(wakes, polled.journal.Count("Step") + 2 * (Until / 23000 + 2));
}

} // namespace
