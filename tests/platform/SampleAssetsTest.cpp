// The sample files that the build synthesizes beside the program: each holds one word more than
// the most that the wave export copies of it.
#include "ProgramFolder.h"
#include "SampleFile.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(SampleAssets, HoldOneWordMoreThanTheExportCopies) {
    const std::pair<const char*, std::size_t> assets[] = {
        {"boom.wav", 6161}, {"boomi.wav", 820}, {"bassdrum.wav", 26304}, {"snare.wav", 27214}};
    for (const auto& [name, exportWords] : assets) {
        const auto words = SampleFile::Read(ProgramFolder() / name);
        ASSERT_TRUE(words.has_value()) << name;
        EXPECT_EQ(words->size(), exportWords + 1) << name;
        // No other chunk: the export reads word i at byte 44 + 2i.
        EXPECT_EQ(std::filesystem::file_size(ProgramFolder() / name), 44 + 2 * words->size());
    }
}

} // namespace
