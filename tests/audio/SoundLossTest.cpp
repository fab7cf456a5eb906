// The real sound path when the sound server goes away and comes back: a server of the test's own
// on a null sink, stopped and started again while the engine plays.
#include "CMetronome.h"
#include "ClickOnsets.h"
#include "DriveEngine.h"
#include "MonitorRecorder.h"
#include "PrivateAudioServer.h"
#include "ProgramFolder.h"
#include "StreamOutput.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// The loss is said once, the beat goes on without sound, and once the server is back the clicks
// come again on the grid, without a restart.
TEST(SoundLoss, TheBeatGoesOnAndTheSoundComesBackWithTheServer) {
    auto server = std::make_unique<PrivateAudioServer>(PULSARA_PULSE_FIXTURE, LOSS_RUNTIME);
    ASSERT_TRUE(server->ok);
    std::atomic<int> losses{0};
    std::atomic<int> returns{0};
    FrameClock clock;
    StreamOutput sound(clock, &StreamOutput::OpenDefaultSink, SampleBank::Load(ProgramFolder()),
                       [&](bool lost) { ++(lost ? losses : returns); });
    ASSERT_TRUE(sound.IsOpen()) << sound.Problem();
    CMetronome metron(clock, sound);
    metron.BPM(120);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    metron.Enable(true);
    DriveEngine(clock, metron, 1000.0);

    server.reset();
    for (int i = 0; i < 50 && losses.load() == 0; ++i) {
        DriveEngine(clock, metron, 100.0);
    }
    EXPECT_EQ(losses.load(), 1);
    const double before = metron.NextBeatFrame();
    DriveEngine(clock, metron, 1000.0);
    EXPECT_GT(metron.NextBeatFrame(), before) << "the beat goes on without sound";

    server = std::make_unique<PrivateAudioServer>(PULSARA_PULSE_FIXTURE, LOSS_RUNTIME);
    ASSERT_TRUE(server->ok);
    for (int i = 0; i < 100 && returns.load() == 0; ++i) {
        DriveEngine(clock, metron, 100.0);
    }
    EXPECT_EQ(returns.load(), 1);
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(recorder.WaitForData(std::chrono::seconds(5)));
    DriveEngine(clock, metron, 2600.0);
    recorder.Stop();
    const std::vector<double> onsets = ClickOnsets::Find(recorder.Samples());
    ASSERT_GE(onsets.size(), 4u);
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        EXPECT_NEAR(onsets[i] - onsets[i - 1], 22050.0, 1.0);
    }
    EXPECT_EQ(losses.load(), 1) << "said once";
}

} // namespace
