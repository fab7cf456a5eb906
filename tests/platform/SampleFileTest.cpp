#include "SampleFile.h"

#include "SampleBank.h"
#include "fakes/TempFolder.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace {

class SampleFileTest : public ::testing::Test {
protected:
    std::vector<uint8_t> Bytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Put(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static uint32_t Le32(const std::vector<uint8_t>& b, std::size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    }
    static uint16_t Le16(const std::vector<uint8_t>& b, std::size_t at) {
        return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
    }

    TempFolder folder;
    const std::vector<int16_t> words{0, 1, -1, 32767, -32768, 1234, -4321};
};

// The wave export reads word i at byte 44 + 2i without looking at the header, so the layout is
// fixed to the byte.
TEST_F(SampleFileTest, WritesTheCanonicalHeaderAndLittleEndianWords) {
    ASSERT_TRUE(SampleFile::Write(folder / "a.wav", words));
    const auto b = Bytes(folder / "a.wav");
    ASSERT_EQ(b.size(), 44u + 2 * words.size());
    EXPECT_EQ(std::memcmp(&b[0], "RIFF", 4), 0);
    EXPECT_EQ(Le32(b, 4), b.size() - 8);
    EXPECT_EQ(std::memcmp(&b[8], "WAVEfmt ", 8), 0);
    EXPECT_EQ(Le32(b, 16), 16u);
    EXPECT_EQ(Le16(b, 20), 1) << "PCM";
    EXPECT_EQ(Le16(b, 22), 1) << "mono";
    EXPECT_EQ(Le32(b, 24), 44100u);
    EXPECT_EQ(Le32(b, 28), 88200u);
    EXPECT_EQ(Le16(b, 32), 2);
    EXPECT_EQ(Le16(b, 34), 16);
    EXPECT_EQ(std::memcmp(&b[36], "data", 4), 0);
    EXPECT_EQ(Le32(b, 40), 2 * words.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(static_cast<int16_t>(Le16(b, 44 + 2 * i)), words[i]);
    }
}

TEST_F(SampleFileTest, RefusesWhatItCannotPlay) {
    ASSERT_TRUE(SampleFile::Write(folder / "a.wav", words));
    const auto good = Bytes(folder / "a.wav");
    auto patched = [&](std::size_t at, std::vector<uint8_t> with) {
        auto b = good;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases{
        {"stereo", patched(22, {2, 0})},
        {"48 kHz", patched(24, {0x80, 0xbb, 0, 0})},
        {"8 bit", patched(34, {8, 0})},
        {"float", patched(20, {3, 0})},
        {"not RIFF", patched(0, {'R', 'I', 'F', 'X'})},
        {"data longer than the file", patched(40, {0xff, 0xff, 0, 0})},
        {"absurd data size", patched(40, {0xff, 0xff, 0xff, 0x7f})},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 40)},
        {"empty", {}},
    };
    for (const auto& [what, bytes] : cases) {
        Put(folder / "bad.wav", bytes);
        EXPECT_FALSE(SampleFile::Read(folder / "bad.wav").has_value()) << what;
    }
    EXPECT_FALSE(SampleFile::Read(folder / "missing.wav").has_value());
}

TEST_F(SampleFileTest, WriteIntoAMissingFolderFails) {
    EXPECT_FALSE(SampleFile::Write(folder / "no" / "such" / "a.wav", words));
}

} // namespace

namespace {

TEST_F(SampleFileTest, TheBankNamesMissingAndDamagedSampleFiles) {
    ASSERT_TRUE(SampleFile::Write(folder / "boom.wav", words));
    ASSERT_TRUE(SampleFile::Write(folder / "snare.wav", words));
    Put(folder / "boomi.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    const std::vector<SampleBank::Problem> problems = SampleBank::Load(folder.path).Problems();
    EXPECT_EQ(problems, (std::vector<SampleBank::Problem>{{"boomi.wav", "damaged"},
                                                          {"bassdrum.wav", "missing"}}));
    EXPECT_NE(SampleBank::Describe(problems).find("boomi.wav (damaged), bassdrum.wav (missing)"),
              std::string::npos);
    EXPECT_EQ(SampleBank::Describe({}), "");
}

} // namespace
