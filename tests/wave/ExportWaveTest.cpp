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
    void Progress(int32_t& percent) override {
        percents.push_back(percent);
        if (onProgress) {
            onProgress();
        }
    }
    std::vector<int32_t> percents;
    std::function<void()> onProgress;
};

class ExportWave : public ::testing::Test {
protected:
    ExportWave()
        : metron(ticks, sound) {
        WriteAllSamples(samples.path);
        metron.Events(&log);
        metron.SampleFolder(samples.path);
        metron.PendingEvents([this] {
            ++deliveries;
            if (onDelivery) {
                onDelivery();
            }
        });
    }

    std::string File(const std::string& name) const { return (out / name).string(); }

    ManualTickSource ticks;
    RecordingSoundOutput sound;
    ProgressLog log;
    CMetronome metron;
    TempFolder samples;
    TempFolder out;
    int deliveries = 0;
    std::function<void()> onDelivery;
};

TEST_F(ExportWave, RendersTheEnginesRhythmAtItsTempoAndRelaysProgress) {
    metron.BPM(120);
    metron.Track().Rhithm("8 xx xx xx xx");
    const WaveOutcome outcome = metron.ExportWave(File("take.wav"));
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
    EXPECT_TRUE(outcome.Message().empty());
    const WaveFile wave(out / "take.wav");
    EXPECT_EQ(wave.bytes.size(), 176444u);
    ExpectSound(wave, 0, Boom, 6161, 11025);
    EXPECT_EQ(log.percents, (std::vector<int32_t>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(deliveries, 8);
    EXPECT_TRUE(sound.requests.empty()) << "an export plays nothing";
}

TEST_F(ExportWave, RendererExistsOnlyDuringTheExportAndLeavesTheBeatsCursorAlone) {
    metron.BPM(120);
    metron.Track().Rhithm("4 xx'x #^ (x.)3");
    for (int i = 0; i < 5; ++i) {
        metron.Track().StepForward();
    }
    const int32_t pos = metron.Track().CurPos();
    const std::string symbol = metron.Track().CurSound();
    std::vector<bool> exporting;
    log.onProgress = [&] { exporting.push_back(metron.Exporting()); };

    EXPECT_FALSE(metron.Exporting());
    ASSERT_TRUE(metron.ExportWave(File("take.wav")).Ok());
    EXPECT_FALSE(metron.Exporting());
    EXPECT_EQ(exporting, std::vector<bool>(12, true));
    EXPECT_EQ(metron.Track().CurPos(), pos);
    EXPECT_EQ(metron.Track().CurSound(), symbol);
    EXPECT_FALSE(metron.Track().NoInfinite());
}

TEST_F(ExportWave, EngineWhoseTempoWasNeverSetReportsTempoZero) {
    metron.Track().Rhithm("8 xx xx");
    const WaveOutcome outcome = metron.ExportWave(File("take.wav"));
    EXPECT_EQ(outcome.Error(), WaveError::NoTempo);
    EXPECT_TRUE(out.Names().empty());
    EXPECT_FALSE(metron.Exporting());
    // A failed export does not stand in the way of the next one.
    metron.BPM(120);
    EXPECT_TRUE(metron.ExportWave(File("take.wav")).Ok());
}

TEST_F(ExportWave, SecondExportStartedFromAPendingMessageIsRefused) {
    metron.BPM(120);
    metron.Track().Rhithm("8 xx xx");
    std::vector<WaveOutcome> nested;
    onDelivery = [&] { nested.push_back(metron.ExportWave(File("other.wav"))); };
    ASSERT_TRUE(metron.ExportWave(File("take.wav")).Ok());
    ASSERT_EQ(nested.size(), 4u);
    for (const WaveOutcome& outcome : nested) {
        EXPECT_EQ(outcome.Error(), WaveError::Busy);
        EXPECT_EQ(outcome.FileName(), File("other.wav"));
    }
    EXPECT_EQ(out.Names(), std::set<std::string>{"take.wav"});
}

TEST_F(ExportWave, WithoutAFolderTheSamplesComeFromTheProgramsFolderWhichIsNotWritten) {
    metron.SampleFolder({});
    metron.BPM(120);
    metron.Track().Rhithm("8 xx");
    const auto programFolder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    std::set<std::string> before;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder)) {
        before.insert(entry.path().filename().string());
    }
    ASSERT_TRUE(metron.ExportWave(File("take.wav")).Ok());
    std::set<std::string> after;
    for (const auto& entry : std::filesystem::directory_iterator(programFolder)) {
        after.insert(entry.path().filename().string());
    }
    EXPECT_EQ(after, before);
    EXPECT_EQ(WaveFile(out / "take.wav").DataSize(), 2u * 2 * 11025);
}

} // namespace
