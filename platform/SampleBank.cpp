#include "SampleBank.h"

#include "RhythmSounds.h"
#include "SampleFile.h"

#include <system_error>

SampleBank SampleBank::Load(const std::filesystem::path& folder) {
    return Load(folder, RhythmSounds::Files);
}

SampleBank SampleBank::Load(const std::filesystem::path& folder,
                            std::span<const std::string_view> names) {
    std::vector<Sample> loaded;
    for (const std::string_view name : names) {
        auto words = SampleFile::Read(folder / name);
        std::error_code error;
        const bool present = std::filesystem::exists(folder / name, error);
        loaded.push_back(
            {std::string(name), words ? std::move(*words) : std::vector<int16_t>{}, present});
    }
    return SampleBank(std::move(loaded));
}

std::vector<SampleBank::Problem> SampleBank::Problems() const {
    std::vector<Problem> problems;
    for (const Sample& sample : samples) {
        if (sample.words.empty()) {
            problems.push_back({sample.name, sample.present ? "damaged" : "missing"});
        }
    }
    return problems;
}

std::string SampleBank::Describe(const std::vector<Problem>& problems) {
    if (problems.empty()) {
        return {};
    }
    std::string list;
    for (const Problem& problem : problems) {
        list += (list.empty() ? "" : ", ") + problem.name + " (" + problem.what + ")";
    }
    return "Some sample files are missing or damaged, so their sounds stay silent: " + list + ".";
}

int32_t SampleBank::Find(std::string_view name) const {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (samples[i].name == name && !samples[i].words.empty()) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}
