#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The samples that the sound output can play, each under its bare file name. Loaded once, before
// playback starts, and never changed afterwards, so the audio thread reads the samples without a
// lock. A file that could not be read stays in the bank without samples: its name plays nothing.
class SampleBank {
public:
    struct Sample {
        std::string name;
        std::vector<int16_t> words;
        // The file was there when the bank was loaded, readable or not.
        bool present = true;
    };

    SampleBank() = default;
    explicit SampleBank(std::vector<Sample> samples)
        : samples(std::move(samples)) {}

    // A sample file that cannot be played: what is wrong with it is "missing" or "damaged".
    struct Problem {
        std::string name;
        std::string what;
        bool operator==(const Problem&) const = default;
    };
    // The sample files of the bank that were missing or could not be read as samples.
    std::vector<Problem> Problems() const;
    // One sentence for the user about them; empty when there are none.
    static std::string Describe(const std::vector<Problem>& problems);

    // The four samples of the rhythm's sound symbols, from the given folder.
    static SampleBank Load(const std::filesystem::path& folder);
    static SampleBank Load(const std::filesystem::path& folder,
                           std::span<const std::string_view> names);

    // The index of the named sample if it has anything to play, or -1.
    int32_t Find(std::string_view name) const;
    std::span<const int16_t> Samples(int32_t index) const {
        return samples[static_cast<std::size_t>(index)].words;
    }
    std::size_t Size() const { return samples.size(); }

private:
    std::vector<Sample> samples;
};
