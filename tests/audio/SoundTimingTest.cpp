// The real sound path: the engine plays through the stream output into the private PulseAudio
// server's null sink while the sink's monitor is recorded.
#include "CMetronome.h"
#include "ClickOnsets.h"
#include "DriveEngine.h"
#include "MonitorRecorder.h"
#include "ProgramFolder.h"
#include "SampleFile.h"
#include "StreamOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Whether the recording holds the sample word for word, starting within a few samples before the
// onset (the onset is where the click first crosses the threshold, a few samples into it).
bool HoldsSampleAt(const std::vector<int16_t>& recording, const std::vector<int16_t>& sample,
                   double onset) {
    const auto at = static_cast<std::ptrdiff_t>(onset);
    const auto from = recording.begin() + std::max<std::ptrdiff_t>(at - 64, 0);
    return std::search(from, recording.end(), sample.begin(), sample.end()) - recording.begin() <=
           at;
}

// Switches the beat on, as a player does after pressing Space, and off again 0.4 of a beat before
// the seventh click, which is laid by then and must be withdrawn; records the sink's monitor from
// before the first click to after the last. A take in which the sound server ran dry (the machine
// too busy) says nothing about the placement: it comes back empty.
std::vector<int16_t> PlayFromTheFirstClick(FrameClock& clock, StreamOutput& sound, int32_t bpm) {
    MonitorRecorder recorder;
    EXPECT_TRUE(recorder.Start());
    EXPECT_TRUE(recorder.WaitForData(std::chrono::seconds(5)));
    // The first click comes a few milliseconds after the switch-on; the recording holds some
    // silence before it, so that its onset is found.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int64_t underruns = sound.Underruns();
    const int64_t lateStarts = sound.LateStarts();
    CMetronome metron(clock, sound);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    metron.BPM(bpm);
    metron.Enable(true);
    DriveEngine(clock, metron, 60000.0 / bpm * 5.6);
    metron.Enable(false);
    DriveEngine(clock, metron, 600.0);
    recorder.Stop();
    if (sound.Underruns() != underruns) {
        return {};
    }
    EXPECT_EQ(sound.LateStarts(), lateStarts);
    return recorder.Samples();
}

// 120 in quarters, then a tempo whose grid falls between frames.
TEST(RealSound, EveryIntervalLiesOnTheGridFromTheFirstClick) {
    // The mixer tests and the program share the server: the program leaves the "microphone" (the
    // sink's monitor, which is recorded here) muted, and the mixer tests may turn the sink down.
    ASSERT_EQ(std::system("pactl set-source-mute pulsara_null.monitor 0 && "
                          "pactl set-sink-mute pulsara_null 0 && "
                          "pactl set-sink-volume pulsara_null 100%"),
              0);
    FrameClock clock;
    StreamOutput sound(clock, &StreamOutput::OpenDefaultSink, SampleBank::Load(ProgramFolder()));
    ASSERT_TRUE(sound.IsOpen()) << sound.Problem() << ": is the test's PulseAudio server running?";
    const auto boom = SampleFile::Read(ProgramFolder() / "boom.wav");
    ASSERT_TRUE(boom.has_value());
    for (const int32_t bpm : {120, 133}) {
        std::vector<int16_t> take;
        for (int attempt = 0; attempt < 4 && take.empty(); ++attempt) {
            take = PlayFromTheFirstClick(clock, sound, bpm);
        }
        ASSERT_FALSE(take.empty()) << "the sound server ran dry in every take";
        const std::vector<double> onsets = ClickOnsets::Find(take);
        ASSERT_EQ(onsets.size(), 6u) << bpm << " bpm";
        for (std::size_t i = 1; i < onsets.size(); ++i) {
            EXPECT_NEAR(onsets[i] - onsets[i - 1], 60000.0 / bpm * 44.1, 1.0) << bpm << " bpm";
        }
        // Nothing on the way scales, resamples or cuts the click: each is "boom.wav" word for word.
        for (const double onset : onsets) {
            EXPECT_TRUE(HoldsSampleAt(take, *boom, onset)) << "click at " << onset;
        }
    }
}

} // namespace
