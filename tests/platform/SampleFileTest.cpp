// The sample files: written to the byte, read only when playable, and named when they are not.
#include "SampleFile.h"

#include "SampleBank.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

class SampleFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    const std::vector<int16_t> words{0, 1, -1, 32767, -32768, 1234};
};

// The wave export reads word i at byte 44 + 2i without looking at the header, so the layout is
// fixed to the byte: mono 16-bit PCM at 44100 Hz.
TEST_F(SampleFileTest, WritesTheCanonicalHeaderAndLittleEndianWords) {
    ASSERT_TRUE(SampleFile::Write(folder / "a.wav", words));
    EXPECT_EQ(folder.Bytes("a.wav"), "RIFF\x30\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0"
                                     "\x88\x58\x01\0\x02\0\x10\0data\x0C\0\0\0"
                                     "\0\0\x01\0\xFF\xFF\xFF\x7F\0\x80\xD2\x04"s);
    EXPECT_EQ(SampleFile::Read(folder / "a.wav"), words);
    EXPECT_FALSE(SampleFile::Write(folder / "no" / "such" / "a.wav", words));
}

TEST_F(SampleFileTest, RefusesWhatItCannotPlay) {
    ASSERT_TRUE(SampleFile::Write(folder / "a.wav", words));
    const std::string good = folder.Bytes("a.wav");
    const auto patched = [&good](std::size_t at, const std::string& with) {
        return good.substr(0, at) + with + good.substr(at + with.size());
    };
    const std::pair<const char*, std::string> cases[] = {
        {"stereo", patched(22, "\x02")},
        {"48 kHz", patched(24, "\x80\xBB")},
        {"float", patched(20, "\x03")},
        {"data longer than the file", patched(40, "\xFF\xFF")},
        {"absurd data size", patched(40, "\xFF\xFF\xFF\x7F")},
        {"header only", good.substr(0, 40)},
    };
    for (const auto& [what, bytes] : cases) {
        folder.Put("bad.wav", bytes);
        EXPECT_FALSE(SampleFile::Read(folder / "bad.wav").has_value()) << what;
    }
    EXPECT_FALSE(SampleFile::Read(folder / "missing.wav").has_value());
}

TEST_F(SampleFileTest, TheBankNamesMissingAndDamagedSampleFiles) {
    ASSERT_TRUE(SampleFile::Write(folder / "boom.wav", words));
    ASSERT_TRUE(SampleFile::Write(folder / "snare.wav", words));
    folder.Put("boomi.wav", "not a wave");
    const std::vector<SampleBank::Problem> problems = SampleBank::Load(folder.path).Problems();
    EXPECT_EQ(problems, (std::vector<SampleBank::Problem>{{"boomi.wav", "damaged"},
                                                          {"bassdrum.wav", "missing"}}));
    EXPECT_NE(SampleBank::Describe(problems).find("boomi.wav (damaged), bassdrum.wav (missing)"),
              std::string::npos);
    EXPECT_EQ(SampleBank::Describe({}), "");
}

} // namespace
