// The engine's export: a renderer of its own for the length of one export, fed the engine's
// rhythm and tempo. What the file holds is the renderer's own tests' business.
#include "CMetronome.h"
#include "ManualTickSource.h"
#include "RecordingSoundOutput.h"
#include "WaveFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A second export started from the window's messages would release the renderer under the first;
// a failed export must not stand in the way of the next one.
TEST(ExportWave, RendersTheEnginesRhythmAtItsTempoOneExportAtATime) {
    ManualTickSource ticks;
    RecordingSoundOutput sound;
    CMetronome metron(ticks, sound);
    TempFolder samples;
    TempFolder out;
    WriteAllSamples(samples);
    metron.SampleFolder(samples.path);
    metron.Track().Rhithm("8 xx xx");
    const std::string file = (out / "take.wav").string();
    EXPECT_EQ(metron.ExportWave(file).Error(), WaveError::NoTempo); // the tempo was never set

    metron.BPM(60);
    metron.Track().StepForward();
    const int32_t pos = metron.Track().CurPos();
    std::vector<WaveError> nested;
    metron.PendingEvents([&] {
        EXPECT_TRUE(metron.Exporting());
        nested.push_back(metron.ExportWave((out / "other.wav").string()).Error());
    });
    const WaveOutcome outcome = metron.ExportWave(file);
    ASSERT_TRUE(outcome.Ok()) << outcome.Message();
    EXPECT_FALSE(metron.Exporting());
    EXPECT_EQ(nested, std::vector<WaveError>(4, WaveError::Busy));
    // The renderer parses its own copy: the beat's cursor stays where it was.
    EXPECT_EQ(metron.Track().CurPos(), pos);
    EXPECT_FALSE(metron.Track().NoInfinite());
    EXPECT_TRUE(sound.requests.empty()) << "an export plays nothing";
}

} // namespace
