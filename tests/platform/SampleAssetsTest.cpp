#include "ProgramFolder.h"
#include "SampleFile.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

struct Expected {
    const char* name;
    // The most words the wave export copies; the file must hold one more.
    std::size_t exportWords;
};

class SampleAssets : public ::testing::TestWithParam<Expected> {
protected:
    std::vector<int16_t> Load() {
        const auto path = ProgramFolder() / GetParam().name;
        EXPECT_EQ(std::filesystem::file_size(path), 44 + 2 * (GetParam().exportWords + 1));
        auto words = SampleFile::Read(path);
        EXPECT_TRUE(words.has_value()) << path;
        return words.value_or(std::vector<int16_t>{});
    }
};

TEST_P(SampleAssets, HoldOneWordMoreThanTheExportCopies) {
    EXPECT_EQ(Load().size(), GetParam().exportWords + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SampleAssets,
    ::testing::Values(Expected{"boom.wav", 6161}, Expected{"boomi.wav", 820},
                      Expected{"bassdrum.wav", 26304}, Expected{"snare.wav", 27214}),
    [](const auto& info) {
        return std::string(info.param.name).substr(0, std::string(info.param.name).find('.'));
    });

} // namespace
