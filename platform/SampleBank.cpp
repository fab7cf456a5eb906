#include "SampleBank.h"

#include "RhythmSounds.h"
#include "SampleFile.h"

SampleBank SampleBank::Load(const std::filesystem::path& folder) {
    return Load(folder, RhythmSounds::Files);
}

SampleBank SampleBank::Load(const std::filesystem::path& folder,
                            std::span<const std::string_view> names) {
    std::vector<Sample> loaded;
    for (const std::string_view name : names) {
        auto words = SampleFile::Read(folder / name);
        loaded.push_back({std::string(name), words ? std::move(*words) : std::vector<int16_t>{}});
    }
    return SampleBank(std::move(loaded));
}

int32_t SampleBank::Find(std::string_view name) const {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].name == name && !samples[i].words.empty()) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}
