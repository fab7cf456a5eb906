#pragma once

#include "SettingsStore.h"
#include "cVolume.h"

#include <cstdint>
#include <string>
#include <string_view>

// Six named presets of three mixer levels (master, wave, microphone), kept in the settings store: a
// tap recalls a preset and remembers the levels it replaced; a quick double tap stores those
// remembered levels under the key and puts the mixer back to them.
class MixerPresets {
public:
    MixerPresets(cVolume& Volume, SettingsStore& settings);

    void SetMixer(bool DoubleKey, std::string_view Name);

    int32_t SavedMainLevel() const { return savedMainLevel; }
    int32_t SavedWaveLevel() const { return savedWaveLevel; }
    int32_t SavedMicLevel() const { return savedMicLevel; }

    static constexpr const char* Section = "Mixer";
    static std::string Key(std::string_view Name, std::string_view level);

private:
    void Recall(std::string_view Name);
    void Store(std::string_view Name);

    cVolume& Volume;
    SettingsStore& settings;
    int32_t savedMainLevel = 0;
    int32_t savedWaveLevel = 0;
    int32_t savedMicLevel = 0;
};
