#include "MixerPresets.h"

#include "fakes/FakeMixerDevice.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Line = MixerLineType;
using Type = MixerControlType;

class MixerPresetsTest : public ::testing::Test {
protected:
    MixerPresetsTest() {
        card.AddControl(Line::Master, Type::Volume, 0, 65535, 40000);
        card.AddControl(Line::Wave, Type::Volume, 0, 65535, 30000);
        card.AddControl(Line::Microphone, Type::Volume, 0, 65535, 20000);
        volume = std::make_unique<cVolume>(card, dialogs);
        presets = std::make_unique<MixerPresets>(*volume, store);
    }

    std::vector<int32_t> Levels() {
        return {volume->VolumeLevel(), volume->WaveLevel(), volume->MicLevel()};
    }
    void SetLevels(int32_t main, int32_t wave, int32_t mic) {
        volume->VolumeLevel(main);
        volume->WaveLevel(wave);
        volume->MicLevel(mic);
    }

    FakeMixerDevice card;
    ScriptedDialogs dialogs;
    MemorySettingsStore store;
    std::unique_ptr<cVolume> volume;
    std::unique_ptr<MixerPresets> presets;
};

TEST_F(MixerPresetsTest, TapOnAnEmptyPresetChangesNothingButRemembersTheLevels) {
    presets->SetMixer(false, "B");
    EXPECT_EQ(Levels(), (std::vector<int32_t>{40000, 30000, 20000}));
    EXPECT_EQ(presets->SavedMainLevel(), 40000);
    EXPECT_EQ(presets->SavedWaveLevel(), 30000);
    EXPECT_EQ(presets->SavedMicLevel(), 20000);
}

TEST_F(MixerPresetsTest, DoubleTapStoresTheLevelsFromBeforeTheFirstTap) {
    store.Write("Mixer", "mixB_main", "1000");
    store.Write("Mixer", "mixB_wave", "2000");
    store.Write("Mixer", "mixB_mic", "3000");
    presets->SetMixer(false, "B");
    EXPECT_EQ(Levels(), (std::vector<int32_t>{1000, 2000, 3000}));
    presets->SetMixer(true, "B");
    EXPECT_EQ(Levels(), (std::vector<int32_t>{40000, 30000, 20000}));
    EXPECT_EQ(store.Read("Mixer", "mixB_main", "?"), "40000");
    EXPECT_EQ(store.Read("Mixer", "mixB_wave", "?"), "30000");
    EXPECT_EQ(store.Read("Mixer", "mixB_mic", "?"), "20000");

    SetLevels(5, 6, 7);
    presets->SetMixer(false, "B");
    EXPECT_EQ(Levels(), (std::vector<int32_t>{40000, 30000, 20000}));
}

TEST_F(MixerPresetsTest, EveryPresetNameHasItsOwnThreeKeys) {
    const std::vector<std::string> names = {"B", "N", "M", "<", ">", "/"};
    int32_t level = 100;
    for (const auto& name : names) {
        SetLevels(level, level + 1, level + 2);
        presets->SetMixer(false, name);
        presets->SetMixer(true, name);
        level += 100;
    }
    level = 100;
    for (const auto& name : names) {
        SetLevels(0, 0, 0);
        presets->SetMixer(false, name);
        EXPECT_EQ(Levels(), (std::vector<int32_t>{level, level + 1, level + 2})) << name;
        level += 100;
    }
    EXPECT_EQ(store.Read("Mixer", "mix/_mic", ""), "602");
    EXPECT_EQ(store.Read("Mixer", "mix<_wave", ""), "401");
}

TEST_F(MixerPresetsTest, AbsentOrDamagedEntriesLeaveTheirLevelAlone) {
    store.Write("Mixer", "mixN_main", "-4096");
    store.Write("Mixer", "mixN_mic", "12x");
    presets->SetMixer(false, "N");
    // No limit check: a negative level is written as it stands.
    EXPECT_EQ(Levels(), (std::vector<int32_t>{-4096, 30000, 20000}));
    store.Write("Mixer", "mixN_main", "99999999999");
    presets->SetMixer(false, "N");
    EXPECT_EQ(volume->VolumeLevel(), -4096);
}

} // namespace
