#include "MixerPresets.h"
#include "cVolume.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using Line = MixerLineType;
using Type = MixerControlType;
using Calls = std::vector<std::string>;
using Levels = std::vector<int32_t>;

class MixerTest : public testing::Test {
protected:
    FakeMixerDevice card;
    ScriptedDialogs dialogs;
};

// A control the card refuses to read counts as 0, silently.
TEST_F(MixerTest, MuteIsOnExactlyWhenTheControlHoldsOne) {
    card.AddControl(Line::Master, Type::Volume, 0, 65535, 40000);
    card.AddControl(Line::Microphone, Type::Mute, 0, 1, 2);
    card.AddControl(Line::Wave, Type::Mute, 0, 1, 1);
    card.AddControl(Line::CompactDisc, Type::Mute, 0, 1, 1);
    card.refusedId = 3;
    cVolume v(card, dialogs);
    EXPECT_EQ(
        (std::vector<bool>{v.VolumeMute(), v.MikrofonMute(), v.WaveMute(), v.CompactDiscMute()}),
        (std::vector<bool>{false, false, true, false}));
    v.MikrofonMute(true);
    v.WaveMute(false);
    v.LineMute(true); // absent: its empty description must not reach control 0
    EXPECT_EQ((Levels{card.Value(Line::Microphone, Type::Mute), card.Value(Line::Wave, Type::Mute),
                      card.Value(Line::Master, Type::Volume), v.LineLevel()}),
              (Levels{1, 0, 40000, 0}));
    EXPECT_TRUE(dialogs.messages.empty());
}

// The recorder runs from the first input reading on so that the meter moves; it is asked for
// again at each reading until it opens, and each failure is shown.
TEST_F(MixerTest, MetersReadMagnitudesAndTheRecorderRunsUntilRelease) {
    card.AddControl(Line::Microphone, Type::PeakMeter, -100, 100, -42); // no WaveIn meter
    card.AddControl(Line::Wave, Type::PeakMeter, -32767, 32766, std::numeric_limits<int>::min());
    card.openCaptureResult = -16;
    {
        cVolume v(card, dialogs);
        EXPECT_EQ(v.MaxVolumeMeterInput(), 100);
        EXPECT_EQ(v.MinVolumeMeterOutput(), -32767);
        EXPECT_EQ(v.CurrentVolumeMeterInput(), 42);
        EXPECT_EQ(dialogs.messages.size(), 2u);
        EXPECT_EQ(dialogs.messages.at(0).text, "recorder error -16");
        card.openCaptureResult = 0;
        card.calls.clear();
        EXPECT_EQ(v.CurrentVolumeMeterOutput(), std::numeric_limits<int32_t>::max());
        v.CurrentVolumeMeterInput();
        v.CurrentVolumeMeterInput();
    }
    EXPECT_EQ(card.calls, (Calls{"Get 1", "OpenCapture", "Prepare", "Prepare", "Add 8192",
                                 "Add 8192", "StartCapture", "Add 8192", "Add 8192", "Get 0",
                                 "Add 8192", "Add 8192", "Get 0", "Close", "ResetCapture",
                                 "StopCapture", "Unprepare", "Unprepare", "CloseCapture"}));
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(MixerTest, WithoutAMixerTheObjectSaysSoOnceAndThenDoesNothing) {
    card.AddControl(Line::Master, Type::Volume, 0, 65535, 30000);
    card.AddControl(Line::Wave, Type::PeakMeter, -32767, 32766, -500);
    card.openResult = -19;
    {
        cVolume v(card, dialogs);
        v.VolumeLevel(4096);
        v.VolumeMute(true);
        EXPECT_EQ(v.VolumeLevel() + v.VolumeMax() + v.CurrentVolumeMeterInput() +
                      v.CurrentVolumeMeterOutput(),
                  0);
    }
    EXPECT_EQ(card.calls, (Calls{"Open"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Mixer could not be open");
}

// A tap recalls a preset and remembers the levels it replaced; a double tap stores those.
TEST_F(MixerTest, MixerPresetsRecallAndStoreMasterWaveAndMicrophone) {
    card.AddControl(Line::Master, Type::Volume, 0, 65535, 40000);
    card.AddControl(Line::Wave, Type::Volume, 0, 65535, 30000);
    card.AddControl(Line::Microphone, Type::Volume, 0, 65535, 20000);
    cVolume v(card, dialogs);
    MemorySettingsStore store;
    MixerPresets presets(v, store);
    const auto mixer = [&] { return Levels{v.VolumeLevel(), v.WaveLevel(), v.MicLevel()}; };
    store.Set("Mixer", "mix/_main", "1000");
    store.Set("Mixer", "mix/_wave", "2000");
    store.Set("Mixer", "mix/_mic", "3000");
    presets.SetMixer(false, "/");
    EXPECT_EQ(mixer(), (Levels{1000, 2000, 3000}));
    presets.SetMixer(true, "/");
    EXPECT_EQ(mixer(), (Levels{40000, 30000, 20000}));
    EXPECT_EQ(store.Read("Mixer", "mix/_wave", ""), "30000");
    // Damaged entries leave their level alone; a negative one is taken as it stands.
    store.Set("Mixer", "mixN_main", "-4096");
    store.Set("Mixer", "mixN_wave", "");
    store.Set("Mixer", "mixN_mic", "12x");
    presets.SetMixer(false, "N");
    EXPECT_EQ(mixer(), (Levels{-4096, 30000, 20000}));
}

} // namespace
