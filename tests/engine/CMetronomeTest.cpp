#include "CMetronome.h"

#include "fakes/ManualTickSource.h"
#include "fakes/RecordingSoundOutput.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Entries = std::vector<std::string>;

// The events in order, each with the millisecond at which it was raised.
class Journal final : public CMetronomeEvents {
public:
    explicit Journal(ManualTickSource& ticks)
        : ticks(ticks) {}
    void BpmChange() override { Add("BpmChange"); }
    void Click(double& Dlit) override { Add("Click " + std::to_string(Dlit)); }
    void Step() override { Add("Step"); }
    void AccelerandoChange() override { Add("AccelerandoChange"); }
    long Count(const std::string& entry) const {
        return std::count(entries.begin(), entries.end(), entry);
    }
    void Add(const std::string& entry) {
        entries.push_back(entry);
        at.push_back(ticks.now);
    }
    void Clear() {
        entries.clear();
        at.clear();
    }

    ManualTickSource& ticks;
    Entries entries;
    std::vector<int64_t> at;
};

constexpr int64_t Frames(double ms) {
    return static_cast<int64_t>(ms * 44.1 + 0.5);
}

struct Rig {
    Rig() { metron.Events(&journal); }

    // Starts the engine at the current tick, then forgets what setting up raised.
    void Start(int32_t bpm, const std::string& rhythm) {
        metron.BPM(bpm);
        metron.Track().Rhithm(rhythm);
        ASSERT_EQ(metron.Track().LastCheck(), 1) << rhythm;
        metron.Enable(true);
        journal.Clear();
    }

    // A loop without sleeping: one Pulse per millisecond up to (not including) `until`.
    void RunUntil(int64_t until) {
        for (; ticks.now < until; ++ticks.now) {
            metron.Pulse();
        }
    }

    // The frames of the samples laid and not withdrawn.
    std::vector<int64_t> Plays() const {
        std::vector<int64_t> frames;
        for (const auto& r : sound.requests) {
            frames.push_back(r.frame);
        }
        return frames;
    }

    ManualTickSource ticks;
    Journal journal{ticks};
    RecordingSoundOutput sound;
    CMetronome metron{ticks, sound};
};

class MetronomeTest : public ::testing::Test, public Rig {};

// Every step is laid ahead on its exact frame, and its events come when that frame is heard. A
// rest only steps; it counts in the span of the main beat before it.
TEST_F(MetronomeTest, StepsAreLaidAheadOnTheirFramesAndReportedWhenHeard) {
    Start(120, "8 x'#.^X'");
    EXPECT_EQ(Plays(), (std::vector<int64_t>{0, Frames(250)})) << "the horizon at the start";
    RunUntil(1251);
    const Entries expected = {"Step", "Click 0.250000", "Step", "Step",          "Click 0.375000",
                              "Step", "Step",           "Step", "Click 0.250000"};
    EXPECT_EQ(journal.entries, expected);
    EXPECT_EQ(journal.at, (std::vector<int64_t>{0, 0, 250, 500, 500, 750, 1000, 1250, 1250}));
    using Request = RecordingSoundOutput::Request;
    EXPECT_EQ(sound.requests, (std::vector<Request>{{"boom.wav", 0},
                                                    {"boomi.wav", Frames(250)},
                                                    {"bassdrum.wav", Frames(500)},
                                                    {"snare.wav", Frames(1000)},
                                                    {"boom.wav", Frames(1250)},
                                                    {"boomi.wav", Frames(1500)}}));
    EXPECT_DOUBLE_EQ(metron.NextBeatFrame(), Frames(1500));
    EXPECT_EQ(metron.NextWakeFrame(), Frames(1750) - CMetronome::Horizon + 1)
        << "the step at 1750 comes within the horizon before the one at 1500 is heard";
}

// A tempo key between two steps does not move the step already due; the steps laid on the old
// tempo after it are withdrawn and laid again on the new one. Switching off withdraws every step
// not yet heard, and the engine reports the state of the last step heard.
TEST_F(MetronomeTest, CommandsActFromTheFirstStepNotYetHeard) {
    Start(120, "4 xxx+20x (x)0");
    RunUntil(1251);
    EXPECT_EQ(metron.BPM(), 120) << "the tempo step at 1500 is laid but not heard";
    metron.BPM(150);
    journal.Clear();
    RunUntil(2401);
    // 1500 is still due; the tempo step there raises 150 to 180.
    const double step = 60000.0 / 180;
    EXPECT_EQ(Plays(),
              (std::vector<int64_t>{0, Frames(500), Frames(1000), Frames(1500), Frames(1500 + step),
                                    Frames(1500 + 2 * step), Frames(1500 + 3 * step)}));
    EXPECT_EQ(journal.at[1], 1500) << "the tempo step is reported when it is heard";
    EXPECT_EQ(journal.entries[1], "BpmChange");
    EXPECT_EQ(metron.BPM(), 180);
    metron.Enable(false);
    EXPECT_EQ(Plays().back(), Frames(1500 + 2 * step)) << "the rest is withdrawn";
    RunUntil(3000);
    EXPECT_EQ(journal.Count("Step"), 3);
}

// The output's lead: the first step sounds at the earliest frame the output can still play, and
// a command never withdraws or changes a step inside the lead, which is heard whatever comes.
TEST_F(MetronomeTest, TheOutputsLeadStartsTheBeatAndBoundsWithdrawal) {
    sound.lead = 220;
    ticks.now = 1000;
    Start(120, "4 xxxx");
    EXPECT_EQ(Plays(), (std::vector<int64_t>{Frames(1000) + 220}));
    RunUntil(1500);
    ticks.extraFrames = 10; // the step at 1500 ms + 220 frames lies 210 frames ahead
    metron.Enable(false);
    EXPECT_EQ(Plays(), (std::vector<int64_t>{Frames(1000) + 220, Frames(1500) + 220}));
    EXPECT_EQ(journal.Count("Step"), 2) << "a step that will be heard is reported";
}

// Out-of-range writes are clamped (tempo) or refused (pause lengths, taken only while the cycle
// is on).
TEST_F(MetronomeTest, WritesAreClampedOrRefusedAtTheirLimits) {
    // Each write then its read back; braced lists are evaluated in order.
    EXPECT_EQ((std::vector<int32_t>{(metron.PauseSec(10), metron.PauseSec()),
                                    (metron.SoundSec(10), metron.SoundSec())}),
              (std::vector<int32_t>{4, 20}));
    metron.Pause(true);
    EXPECT_EQ(
        (std::vector<int32_t>{
            (metron.BPM(10), metron.BPM()), (metron.BPM(400), metron.BPM()),
            (metron.PauseSec(99), metron.PauseSec()), (metron.PauseSec(100), metron.PauseSec()),
            (metron.PauseSec(1), metron.PauseSec()), (metron.PauseSec(0), metron.PauseSec()),
            (metron.SoundSec(1), metron.SoundSec()), (metron.SoundSec(0), metron.SoundSec())}),
        (std::vector<int32_t>{15, 320, 99, 99, 1, 1, 1, 1}));
    EXPECT_EQ(journal.Count("BpmChange"), 2) << "every tempo write is reported";
}

// 20 s sounding from tick 0, silent after 20 000, a new cycle once 24 000 has passed; steps and
// clicks go on through the silence.
TEST_F(MetronomeTest, PauseCycleSilencesOnlyTheSamples) {
    metron.Pause(true);
    Start(120, "4 xxxx");
    RunUntil(30001);
    const std::vector<int64_t> plays = Plays();
    ASSERT_EQ(
        std::count_if(plays.begin(), plays.end(), [](int64_t f) { return f <= Frames(30000); }),
        61 - 8); // 20 500 to 24 000 silent
    EXPECT_EQ((std::vector{plays[40], plays[41]}), (std::vector{Frames(20000), Frames(24500)}));
    EXPECT_EQ(journal.Count("Step"), 61);
    EXPECT_EQ(journal.Count("Click 0.250000"), 61);
}

// After an hour-long modal dialog: the steps laid before it are heard, then one step at once, not
// a burst, and the next one back on the grid.
TEST_F(MetronomeTest, LongStallPlaysOnceAndKeepsTheGrid) {
    Start(320, "16 x'''");
    RunUntil(1);
    const std::size_t laid = sound.requests.size();
    ticks.now = 3'600'000;
    metron.Pulse();
    EXPECT_EQ(sound.requests[laid].frame, Frames(3'600'000));
    const double step = 60000.0 / 320 * 4 / 16 * 44.1;
    const double next = sound.requests[laid + 1].frame;
    EXPECT_GT(next, Frames(3'600'000));
    EXPECT_LE(next, Frames(3'600'000) + step);
    EXPECT_NEAR(std::remainder(next, step), 0.0, 0.5) << "off the grid";
}

// A rate of 60 is capped at 50 a second per ten seconds: from 100, 150 after 10 s and the ceiling
// of 320 after 44 s. A rate below 0.01 ends the accelerando.
TEST_F(MetronomeTest, AccelerandoRisesLinearlyToTheCeilingAndReportsOnlyAfterAClick) {
    Start(100, "8 x'x'x'x'");
    metron.AccelerandoBegin(60.0);
    EXPECT_EQ(metron.AcelValue(), 50.0);
    journal.Clear();
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
    // Each call then whether an accelerando runs; braced lists are evaluated in order.
    EXPECT_EQ((std::vector<bool>{(metron.AccelerandoBegin(0.01), metron.Accelerando()),
                                 (metron.AccelerandoBegin(0.005), metron.Accelerando()),
                                 (metron.AccelerandoBegin(2.0), metron.DisableAccelerando(),
                                  metron.Accelerando())}),
              (std::vector<bool>{true, false, false}));
    EXPECT_EQ(journal.Count("AccelerandoChange"), 4);
}

// No main beat ever follows the first one: the look-ahead must give up, and the steps that follow
// are still the rhythm's own.
TEST_F(MetronomeTest, BeatSpanLookAheadIsBoundedAndLeavesTheCursorAlone) {
    Start(120, "4 x('')0");
    RunUntil(1001);
    EXPECT_EQ(journal.Count("Click " + std::to_string(CMetronome::LookAheadLimit * 0.25)), 1);
    EXPECT_EQ(sound.requests.back().fileName, "boomi.wav");
}

// An owner that sleeps until NextWakeFrame must hear and see exactly what one pulsing every
// millisecond does: the pause cycle's silences, whose boundaries fall between steps, and the
// accelerando computed for each step's own due time included.
TEST(MetronomeWakeTest, WakingOnlyWhenDueMatchesPulsingEveryMillisecond) {
    Rig polled, woken;
    for (Rig* rig : {&polled, &woken}) {
        rig->metron.Pause(true);
        rig->metron.PauseSec(3);
        rig->Start(37, "8 x'.^ (x'x. #^)0");
        rig->metron.AccelerandoBegin(0.5);
        rig->journal.Clear();
    }
    constexpr int64_t Until = 100000;
    polled.RunUntil(Until);
    int wakes = 0;
    for (; woken.ticks.now < Until; ++wakes) {
        woken.metron.Pulse();
        const auto next = static_cast<int64_t>(
            std::ceil(static_cast<double>(woken.metron.NextWakeFrame()) / 44.1));
        ASSERT_GT(next, woken.ticks.now);
        woken.ticks.now = next;
    }
    EXPECT_EQ(woken.journal.entries, polled.journal.entries);
    EXPECT_EQ(woken.Plays(), polled.Plays());
    EXPECT_GT(polled.sound.requests.size(), 50U);
    // Two wakes a step (one to lay it, one when it is heard), not one a millisecond.
    EXPECT_LT(wakes, 2 * polled.journal.Count("Step") + 10);
}

} // namespace
