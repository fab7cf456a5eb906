// The engine's export: a renderer of its own for the length of one export, fed the engine's
// rhythm and tempo.
#include "CMetronome.h"
#include "ManualTickSource.h"
#include "RecordingSoundOutput.h"
#include "WaveFiles.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ProgressLog final : public CMetronomeEvents {
public:
    void Progress(int32_t& percent) override { onProgress(percent); }
    std::function<void(int32_t)> onProgress = [](int32_t) {};
};

class ExportWave : public ::testing::Test {
protected:
    ExportWave()
        : metron(ticks, sound) {
        WriteAllSamples(samples);
        metron.Events(&log);
        metron.SampleFolder(samples.path);
        metron.PendingEvents([this] { onDelivery(); });
        metron.Track().Rhithm("8 xx xx");
    }

    ManualTickSource ticks;
    RecordingSoundOutput sound;
    ProgressLog log;
    CMetronome metron;
    TempFolder samples;
    TempFolder out;
    const std::string file = (out / "take.wav").string();
    std::function<void()> onDelivery = [] {};
};

TEST_F(ExportWave, RendersTheEnginesRhythmAtItsTempoAndLeavesTheBeatsCursorAlone) {
    metron.BPM(60);
    for (int i = 0; i < 3; ++i) {
        metron.Track().StepForward();
    }
    const int32_t pos = metron.Track().CurPos();
    std::vector<int32_t> percents;
    log.onProgress = [&](int32_t percent) {
        EXPECT_TRUE(metron.Exporting());
        percents.push_back(percent);
    };
    const WaveOutcome outcome = metron.ExportWave(file);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
    EXPECT_FALSE(metron.Exporting());
    EXPECT_EQ(SamplesOf(out.Bytes("take.wav")).size(), 4u * 22050);
    EXPECT_EQ(percents, (std::vector<int32_t>{25, 50, 75, 100}));
    EXPECT_EQ(metron.Track().CurPos(), pos);
    EXPECT_FALSE(metron.Track().NoInfinite());
    EXPECT_TRUE(sound.requests.empty()) << "an export plays nothing";
}

// A second export started from the window's messages would release the renderer under the first;
// a failed export must not stand in the way of the next one.
TEST_F(ExportWave, OnlyOneExportRunsAtATime) {
    EXPECT_EQ(metron.ExportWave(file).Error(), WaveError::NoTempo); // the tempo was never set
    metron.BPM(120);
    std::vector<WaveError> nested;
    onDelivery = [&] { nested.push_back(metron.ExportWave((out / "other.wav").string()).Error()); };
    ASSERT_TRUE(metron.ExportWave(file).Ok());
    EXPECT_EQ(nested, std::vector<WaveError>(4, WaveError::Busy));
    EXPECT_EQ(out.Names(), std::set<std::string>{"take.wav"});
}

} // namespace
