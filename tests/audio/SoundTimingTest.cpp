// The real sound path: the engine plays the default rhythm through the stream output into the
// private PulseAudio server's null sink while the sink's monitor is recorded, from the first click
// on, as a player hears it after pressing Space.
#include "CMetronome.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "ProgramFolder.h"
#include "SampleFile.h"
#include "StreamOutput.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

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

// Sleeps until the engine has something to do, as the window's timer does.
void RunFor(FrameClock& clock, CMetronome& metron, double ms) {
    const double end = clock.PreciseTicks() + ms;
    while (clock.PreciseTicks() < end) {
        metron.Pulse();
        const double wait = std::min(metron.NextDueTick(), end) - clock.PreciseTicks();
        std::this_thread::sleep_for(
            std::chrono::microseconds(static_cast<int64_t>(std::max(0.0, std::ceil(wait)) * 1000)));
    }
}

TEST(RealSound, EveryIntervalLiesOnTheGridFromTheFirstClick) {
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(recorder.WaitForData(std::chrono::seconds(5)));
    FrameClock clock;
    StreamOutput sound(clock, &StreamOutput::OpenDefaultSink, SampleBank::Load(ProgramFolder()));
    ASSERT_TRUE(sound.IsOpen()) << sound.Problem() << ": is the test's PulseAudio server running?";

    // Two takes, the second after the stream has slept, each from its first click: 120 in
    // quarters, then a tempo whose grid falls between frames.
    CMetronome metron(clock, sound);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    std::vector<double> expected;
    for (const int32_t bpm : {120, 133}) {
        metron.BPM(bpm);
        metron.Enable(true);
        RunFor(clock, metron, 2600.0);
        metron.Enable(false);
        RunFor(clock, metron, 600.0);
        expected.push_back(60000.0 / bpm * 44.1);
    }
    recorder.Stop();
    EXPECT_EQ(sound.LateStarts(), 0);

    const auto onsets = ClickOnsets::Find(recorder.Samples());
    for (double o : onsets)
        std::printf("onset %.2f\n", o);
    ASSERT_EQ(onsets.size(), 12u);
    for (std::size_t take = 0; take < 2; ++take) {
        for (std::size_t i = take * 6 + 1; i < take * 6 + 6; ++i) {
            EXPECT_LE(std::abs(onsets[i] - onsets[i - 1] - expected[take]), 1.0)
                << "interval " << i << " of take " << take;
        }
    }

    // Nothing on the way scales, resamples or cuts the click: each is "boom.wav" word for word.
    const auto boom = SampleFile::Read(ProgramFolder() / "boom.wav");
    ASSERT_TRUE(boom.has_value());
    for (const double onset : onsets) {
        EXPECT_TRUE(HoldsSampleAt(recorder.Samples(), *boom, onset)) << "click at " << onset;
    }
}

} // namespace
