#include "PracticeRecorder.h"

#include "fakes/ManualTickSource.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace std::chrono;

class KeptEntries final : public JournalSink {
public:
    void Keep(const JournalEntry& entry) override { kept.push_back(entry); }
    std::vector<JournalEntry> kept;
};

class Recorder : public ::testing::Test {
protected:
    void Play(int32_t ms) {
        ticks.now += ms;
        recorder.Poll();
    }

    ManualTickSource ticks{-2000}; // the tick count's wrap lies within the first stretch
    KeptEntries sink;
    LocalDateTime wall{year{2024} / March / 9, 23, 58, 7};
    PracticeRecorder recorder{ticks, sink, [this] { return wall; }};
};

TEST_F(Recorder, AStretchIsKeptWithItsStartSourceAndTempoFiguresUnlessShorterThanFiveSeconds) {
    recorder.BeatStarted("4 xxxx  ", RhythmSource::Preset("Z"), 100);
    Play(4999);
    recorder.BeatStopped();
    EXPECT_TRUE(sink.kept.empty());

    recorder.BeatStarted("8 x'x'  ", RhythmSource::File("scales.rtm"), 120);
    recorder.BeatStarted("ignored while one runs", RhythmSource::Typed(), 60);
    recorder.TempoHeard(135);
    recorder.PauseCycleRan();
    recorder.TempoHeard(110);
    Play(5500);
    recorder.BeatStopped();
    recorder.BeatStopped();
    ASSERT_EQ(sink.kept.size(), 1u);
    // 5.5 s, halves to the even neighbour.
    EXPECT_EQ(sink.kept[0],
              (JournalEntry{sink.kept[0].Stretch, "2024-03-09T23:58:07", 6, "8 x'x'  ",
                            RhythmSource::File("scales.rtm"), 120, 110, 135, true, false}));
}

TEST_F(Recorder, ARunningStretchIsCheckpointedUnderOneNumberAndEndsWithTheProgram) {
    recorder.BeatStarted("4 xxxx  ", RhythmSource::Default(), 90);
    recorder.AccelerandoRan();
    Play(9499);
    EXPECT_TRUE(sink.kept.empty());
    Play(1);
    ASSERT_EQ(sink.kept.size(), 1u);
    EXPECT_EQ(sink.kept[0].Seconds, 10); // 9.5 s
    Play(5000);
    Play(4000);
    EXPECT_EQ(sink.kept.size(), 1u);
    Play(600);
    ASSERT_EQ(sink.kept.size(), 2u);
    ticks.now += 3000;
    recorder.ProgramEnded();
    ASSERT_EQ(sink.kept.size(), 3u);
    EXPECT_EQ(std::pair(sink.kept[2].Seconds, sink.kept[2].Accelerando), std::pair(22, true));
    for (const JournalEntry& entry : sink.kept) {
        EXPECT_EQ(entry.Stretch, sink.kept[0].Stretch);
    }

    recorder.BeatStarted("4 xxxx  ", RhythmSource::Default(), 90);
    ticks.now += 5000;
    recorder.ProgramEnded();
    ASSERT_EQ(sink.kept.size(), 4u);
    EXPECT_NE(sink.kept[3].Stretch, sink.kept[0].Stretch);
}

} // namespace
