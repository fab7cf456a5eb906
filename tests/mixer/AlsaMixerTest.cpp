// The mixer object on the real ALSA "default" device, which here reaches a private PulseAudio
// server: "Master" is its null sink and "Capture" the sink's monitor, the default source. Every
// change is read back from the server with pactl, not through the code under test.
#include "AlsaMixerDevice.h"
#include "ChildProcess.h"
#include "cVolume.h"
#include "fakes/ScriptedDialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace {

using Pipe = std::unique_ptr<FILE, int (*)(FILE*)>;

std::string Shell(const std::string& command) {
    return ChildProcess::Output({"sh", "-c", command}).value_or("");
}

class AlsaMixerTest : public testing::Test {
protected:
    // The program under the end-to-end test leaves the microphone (the monitor) muted or not as
    // it found it, and the tests sharing the server run in any order: each starts from a known
    // state.
    void SetUp() override {
        Shell("pactl set-sink-volume @DEFAULT_SINK@ 65536; pactl set-sink-mute @DEFAULT_SINK@ 0; "
              "pactl set-source-volume @DEFAULT_SOURCE@ 65536; "
              "pactl set-source-mute @DEFAULT_SOURCE@ 0");
    }

    ScriptedDialogs dialogs;
};

// The server lacks wave, line-in and CD: those read 0 and must not reach another control.
TEST_F(AlsaMixerTest, LevelsAndMutesReachTheSoundServerAndMissingLinesNothing) {
    AlsaMixerDevice device;
    cVolume volume(device, dialogs);
    volume.VolumeLevel(40000);
    volume.MicLevel(30000);
    volume.VolumeMute(true);
    volume.WaveLevel(6);
    volume.CompactDiscMute(false);
    EXPECT_NE(Shell("pactl get-sink-volume @DEFAULT_SINK@").find(": 40000 /"), std::string::npos);
    EXPECT_NE(Shell("pactl get-source-volume @DEFAULT_SOURCE@").find(": 30000 /"),
              std::string::npos);
    EXPECT_EQ(Shell("pactl get-sink-mute @DEFAULT_SINK@"), "Mute: yes\n");
    EXPECT_TRUE(volume.VolumeMute());
    EXPECT_EQ(volume.MicLevel(), 30000);
    EXPECT_EQ(volume.WaveLevel() + volume.CDMax(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A tone of half of full scale played into the sink reaches the input meter through the monitor,
// give or take the 8-bit step and the resampler's ripple. Reading goes on for a while after the
// tone arrives, so that an overshoot would show; the recorder ends with the object.
TEST_F(AlsaMixerTest, InputMeterShowsThePeakOfWhatTheMicrophoneHears) {
    const auto recorders = [] { return Shell("pactl list short source-outputs"); };
    {
        AlsaMixerDevice device;
        cVolume volume(device, dialogs);
        EXPECT_LT(volume.CurrentVolumeMeterInput(), 512);
        EXPECT_NE(recorders(), "");
        const Pipe player(popen("sox -n -t raw -r 44100 -e signed -b 16 -c 1 - synth 2 sine 440 "
                                "vol 0.5 | pacat --raw --format=s16le --rate=44100 --channels=1",
                                "r"),
                          pclose);
        using Clock = std::chrono::steady_clock;
        int32_t loud = 0;
        for (auto end = Clock::now() + std::chrono::seconds(10); Clock::now() < end;) {
            const int32_t reading = volume.CurrentVolumeMeterInput();
            if (loud < 14000 && reading >= 14000) {
                end = Clock::now() + std::chrono::milliseconds(500);
            }
            loud = std::max(loud, reading);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_GE(loud, 14000);
        EXPECT_LE(loud, 19000);
    }
    EXPECT_EQ(recorders(), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
