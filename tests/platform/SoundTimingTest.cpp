// The real sound path: the engine plays the default rhythm through the PortAudio output into the
// private PulseAudio server's null sink while the sink's monitor is recorded.
#include "CMetronome.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "PortAudioSoundOutput.h"
#include "ProgramFolder.h"
#include "SampleFile.h"
#include "SteadyTickSource.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The output's clock settles within ten seconds or so of a quiet machine, but waits out the sound
// server's settling, which takes longer while the other tests keep the machine busy.
bool WaitUntilSettled(SteadyTickSource& ticks, const PortAudioSoundOutput& sound) {
    for (int waited = 0; waited < 120000 && !sound.Settled(); waited += 10) {
        ticks.Sleep(10);
    }
    return sound.Settled();
}

// Whether the recording holds the sample word for word, starting within a few samples before the
// onset (the onset is where the click first crosses the threshold, a few samples into it).
bool HoldsSampleAt(const std::vector<int16_t>& recording, const std::vector<int16_t>& sample,
                   double onset) {
    const auto last = static_cast<std::ptrdiff_t>(onset);
    for (std::ptrdiff_t start = std::max<std::ptrdiff_t>(0, last - 64); start <= last; ++start) {
        if (static_cast<std::size_t>(start) + sample.size() <= recording.size() &&
            std::equal(sample.begin(), sample.end(), recording.begin() + start)) {
            return true;
        }
    }
    return false;
}

struct Take {
    std::vector<int16_t> recording;
    int64_t streamBreaks = 0;
    int64_t lateStarts = 0;
};

// Three seconds of the default rhythm at 120 through the engine, recorded from the sink's monitor.
Take PlayDefaultRhythm(SteadyTickSource& ticks, PortAudioSoundOutput& sound) {
    MonitorRecorder recorder;
    EXPECT_TRUE(recorder.Start());
    EXPECT_TRUE(recorder.WaitForData(std::chrono::seconds(5)));
    EXPECT_TRUE(WaitUntilSettled(ticks, sound));
    ticks.Sleep(500);
    const int64_t breaks = sound.Player()->ClockRestarts();
    const int64_t late = sound.Player()->LateStarts();

    CMetronome metron(ticks, sound);
    metron.BPM(120);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    metron.Enable(true);
    const int32_t end = ticks.GetTickCount() + 3000;
    while (ticks.GetTickCount() - end < 0) {
        metron.Pulse();
        ticks.Sleep(1);
    }
    metron.Enable(false);
    ticks.Sleep(static_cast<int32_t>(sound.OutputLatencyMs()) + 500);
    recorder.Stop();
    return {recorder.Samples(), sound.Player()->ClockRestarts() - breaks,
            sound.Player()->LateStarts() - late};
}

TEST(RealSound, DefaultRhythmAt120LiesOnTheGridInTheNullSink) {
    // A recorder joining the null sink changes the sink's timing, and the sound server's timing
    // estimates take many seconds to settle on the new one. This recorder joins before the output
    // opens and stays, so the sink keeps one timing and each take's own recorder changes nothing.
    MonitorRecorder standing;
    ASSERT_TRUE(standing.Start());
    ASSERT_TRUE(standing.WaitForData(std::chrono::seconds(5)));
    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    ASSERT_TRUE(sound.IsOpen()) << "no audio device: is the test's PulseAudio server running?";
    // A sound server that ran dry (the machine too busy) moves every later frame of the stream;
    // the output notices and places the clicks afresh, but such a take says nothing about the
    // placement, and is played again.
    Take take = PlayDefaultRhythm(ticks, sound);
    for (int retake = 0; retake < 2 && take.streamBreaks > 0; ++retake) {
        take = PlayDefaultRhythm(ticks, sound);
    }
    ASSERT_EQ(take.streamBreaks, 0) << "the sound server broke off the stream in every take";
    EXPECT_EQ(take.lateStarts, 0);

    const auto onsets = ClickOnsets::Find(take.recording);
    ASSERT_GE(onsets.size(), 6u);
    ASSERT_LE(onsets.size(), 7u);
    const auto timing = ClickOnsets::Measure(onsets);
    EXPECT_LE(timing.maxDeviation, 1.0) << "mean interval " << timing.meanInterval;
    EXPECT_NEAR(timing.meanInterval, 22050.0, 22.05);

    // Nothing on the way scales, resamples or cuts the click: each is "boom.wav" word for word.
    const auto boom = SampleFile::Read(ProgramFolder() / "boom.wav");
    ASSERT_TRUE(boom.has_value());
    for (const double onset : onsets) {
        EXPECT_TRUE(HoldsSampleAt(take.recording, *boom, onset)) << "click at " << onset;
    }
}

} // namespace
