// The mixer object on the real ALSA "default" device, which here reaches a private PulseAudio
// server: "Master" is its null sink and "Capture" the sink's monitor, the default source. Every
// change is read back from the server with pactl, not through the code under test.
#include "AlsaMixerDevice.h"
#include "cVolume.h"
#include "fakes/ScriptedDialogs.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <regex>
#include <string>
#include <thread>

namespace {

std::string Shell(const std::string& command) {
    std::string output;
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) {
        return output;
    }
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe.get()) != nullptr) {
        output += chunk;
    }
    return output;
}

// The first channel's raw volume in "Volume: mono: 40000 /  61% / -12.87 dB".
long ServerVolume(const std::string& what) {
    const std::string text = Shell("pactl get-" + what + "-volume @DEFAULT_" +
                                   (what == "sink" ? "SINK" : "SOURCE") + "@");
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(R"(:\s*(\d+)\s*/)"))) {
        ADD_FAILURE() << "unexpected pactl answer: " << text;
        return -1;
    }
    return std::stol(match[1]);
}

bool ServerMuted(const std::string& what) {
    const std::string text =
        Shell("pactl get-" + what + "-mute @DEFAULT_" + (what == "sink" ? "SINK" : "SOURCE") + "@");
    EXPECT_NE(text.find("Mute:"), std::string::npos) << text;
    return text.find("yes") != std::string::npos;
}

int RecordingStreams() {
    const std::string text = Shell("pactl list short source-outputs");
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// Two seconds of a 440 Hz sine at half of full scale, as raw 16-bit mono at 44100 Hz.
std::string WriteTone() {
    const std::string path = testing::TempDir() + "pulsara_mixer_tone.raw";
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 2 * 44100; ++i) {
        const auto sample = static_cast<int16_t>(
            std::lround(16384.0 * std::sin(2.0 * std::numbers::pi * 440.0 * i / 44100.0)));
        out.put(static_cast<char>(sample & 0xff));
        out.put(static_cast<char>((sample >> 8) & 0xff));
    }
    return path;
}

class AlsaMixerTest : public testing::Test {
protected:
    void SetUp() override {
        Shell("pactl set-sink-volume @DEFAULT_SINK@ 65536");
        Shell("pactl set-sink-mute @DEFAULT_SINK@ 0");
        Shell("pactl set-source-volume @DEFAULT_SOURCE@ 65536");
        Shell("pactl set-source-mute @DEFAULT_SOURCE@ 0");
    }

    ScriptedDialogs dialogs;
};

TEST_F(AlsaMixerTest, LevelsAndMutesReachTheSoundServer) {
    AlsaMixerDevice device;
    cVolume volume(device, dialogs);

    volume.VolumeLevel(40000);
    EXPECT_EQ(ServerVolume("sink"), 40000);
    EXPECT_EQ(volume.VolumeLevel(), 40000);
    volume.MicLevel(30000);
    EXPECT_EQ(ServerVolume("source"), 30000);
    EXPECT_EQ(ServerVolume("sink"), 40000);

    volume.MikrofonMute(true);
    EXPECT_TRUE(ServerMuted("source"));
    EXPECT_FALSE(ServerMuted("sink"));
    EXPECT_TRUE(volume.MikrofonMute());
    volume.MikrofonMute(false);
    EXPECT_FALSE(ServerMuted("source"));
    EXPECT_FALSE(volume.MikrofonMute());

    volume.VolumeMute(true);
    EXPECT_TRUE(ServerMuted("sink"));
    volume.VolumeMute(false);
    EXPECT_FALSE(ServerMuted("sink"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AlsaMixerTest, LinesTheServerLacksReadZeroAndTouchNothing) {
    AlsaMixerDevice device;
    cVolume volume(device, dialogs);
    volume.VolumeLevel(20000);
    volume.MicLevel(21000);

    EXPECT_EQ(volume.LineLevel(), 0);
    EXPECT_EQ(volume.CDMax(), 0);
    EXPECT_EQ(volume.WaveLevel(), 0);
    EXPECT_EQ(volume.VolumeLevelPan(), 0);
    EXPECT_FALSE(volume.CompactDiscMute());
    volume.LineLevel(5);
    volume.WaveLevel(6);
    volume.SynthesizerMute(true);
    volume.VolumeLevelFader(7);
    volume.VolumeLevelBass(8);

    EXPECT_EQ(ServerVolume("sink"), 20000);
    EXPECT_EQ(ServerVolume("source"), 21000);
    EXPECT_FALSE(ServerMuted("sink"));
    EXPECT_FALSE(ServerMuted("source"));
}

TEST_F(AlsaMixerTest, AMissingDeviceIsReportedOnceAndLeavesAnInertObject) {
    AlsaMixerDevice device("nonexistent_device");
    cVolume volume(device, dialogs);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0],
              (ScriptedDialogs::Message{"Mixer could not be open", "Pulsara - Mixercontrol Error",
                                        MessageIcon::Error}));
    EXPECT_EQ(volume.VolumeLevel(), 0);
    EXPECT_EQ(volume.VolumeMax(), 0);
    EXPECT_FALSE(volume.MikrofonMute());
    volume.VolumeLevel(1000);
    volume.MikrofonMute(true);
    EXPECT_EQ(volume.CurrentVolumeMeterInput(), 0);
    EXPECT_EQ(volume.CurrentVolumeMeterOutput(), 0);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(RecordingStreams(), 0);
    EXPECT_EQ(ServerVolume("sink"), 65536);
    EXPECT_FALSE(ServerMuted("source"));
}

TEST_F(AlsaMixerTest, InputMeterShowsThePeakOfWhatTheMicrophoneHears) {
    const std::string tone = WriteTone();
    {
        AlsaMixerDevice device;
        cVolume volume(device, dialogs);
        EXPECT_EQ(volume.MinVolumeMeterInput(), -32768);
        EXPECT_EQ(volume.MaxVolumeMeterInput(), 32767);

        // Silence first: the idle sink's monitor delivers nothing but the zero line.
        using Clock = std::chrono::steady_clock;
        int32_t quiet = 0;
        for (int i = 0; i < 15; ++i) {
            quiet = std::max(quiet, volume.CurrentVolumeMeterInput());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_EQ(RecordingStreams(), 1);
        EXPECT_LT(quiet, 512);

        const std::unique_ptr<FILE, int (*)(FILE*)> player(
            popen(("pacat --raw --format=s16le --rate=44100 --channels=1 " + tone).c_str(), "r"),
            pclose);
        ASSERT_TRUE(player);
        // Keep reading for a while after the tone arrives, so that an overshoot would show.
        int32_t loud = 0;
        auto deadline = Clock::now() + std::chrono::seconds(10);
        bool heard = false;
        while (Clock::now() < deadline) {
            loud = std::max(loud, volume.CurrentVolumeMeterInput());
            if (!heard && loud >= 14000) {
                heard = true;
                deadline = Clock::now() + std::chrono::milliseconds(500);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        // Half of full scale, give or take the 8-bit step and the resampler's ripple.
        EXPECT_GE(loud, 14000);
        EXPECT_LE(loud, 19000);
        EXPECT_TRUE(dialogs.messages.empty());
    }
    EXPECT_EQ(RecordingStreams(), 0);
    std::remove(tone.c_str());
}

} // namespace
