#include "MixerPresets.h"

#include <charconv>
#include <optional>

namespace {

// Entries are written only as decimal 32-bit integers; anything else (edited by hand, damaged) is
// skipped, so that such a level stays where it is instead of jumping to 0.
std::optional<int32_t> ParseLevel(const std::string& text) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

} // namespace

MixerPresets::MixerPresets(cVolume& Volume, SettingsStore& settings)
    : Volume(Volume)
    , settings(settings) {}

std::string MixerPresets::Key(std::string_view Name, std::string_view level) {
    return "mix" + std::string(Name) + "_" + std::string(level);
}

void MixerPresets::SetMixer(bool DoubleKey, std::string_view Name) {
    if (DoubleKey) {
        Store(Name);
    } else {
        Recall(Name);
    }
}

void MixerPresets::Recall(std::string_view Name) {
    savedMainLevel = Volume.VolumeLevel();
    savedWaveLevel = Volume.WaveLevel();
    savedMicLevel = Volume.MicLevel();
    if (const auto level = ParseLevel(settings.Read(Section, Key(Name, "main"), ""))) {
        Volume.VolumeLevel(*level);
    }
    if (const auto level = ParseLevel(settings.Read(Section, Key(Name, "wave"), ""))) {
        Volume.WaveLevel(*level);
    }
    if (const auto level = ParseLevel(settings.Read(Section, Key(Name, "mic"), ""))) {
        Volume.MicLevel(*level);
    }
}

void MixerPresets::Store(std::string_view Name) {
    settings.Write(Section, Key(Name, "main"), std::to_string(savedMainLevel));
    settings.Write(Section, Key(Name, "wave"), std::to_string(savedWaveLevel));
    settings.Write(Section, Key(Name, "mic"), std::to_string(savedMicLevel));
    Volume.VolumeLevel(savedMainLevel);
    Volume.WaveLevel(savedWaveLevel);
    Volume.MicLevel(savedMicLevel);
}
