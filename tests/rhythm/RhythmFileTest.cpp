// The ".rtm" file format, its atomic writer, and loading files into the cursor.
#include "RhythmFile.h"

#include "CTrackList.h"
#include "CursorSteps.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// A private folder per test, removed afterwards.
class RhythmFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() /
                 ("pulsara-rhythm-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    std::string Put(const std::string& name, const std::string& bytes) const {
        std::ofstream out(PathOf(name), std::ios::binary);
        out << bytes;
        return PathOf(name);
    }

    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
};

TEST(RhythmFileFormat, FirstFieldQuotedOrPlain) {
    using F = RhythmFile;
    EXPECT_EQ(F::FirstField("\"8 x'x', x\"\r\nnext line\r\n"), "8 x'x', x");
    EXPECT_EQ(F::FirstField("\"4 xx\",\"other\""), "4 xx");
    EXPECT_EQ(F::FirstField("\"two\r\nlines\""), "two\r\nlines");
    EXPECT_EQ(F::FirstField("8 x'x'x'x',second\r\n"), "8 x'x'x'x'");
    EXPECT_EQ(F::FirstField("4 xxxx   \r\nrest"), "4 xxxx");
    EXPECT_EQ(F::FirstField("4 xxxx"), "4 xxxx");
    EXPECT_EQ(F::FirstField("  \t\"4 xx\""), "4 xx");
    EXPECT_EQ(F::FirstField("say \"hi\",x"), "say \"hi\"");
    EXPECT_EQ(F::FirstField("\"\"\r\n"), "");
    EXPECT_EQ(F::FirstField("\"a \"\"q\"\" b\""), "a \"q\" b");
}

TEST(RhythmFileFormat, NoFieldWithoutText) {
    using F = RhythmFile;
    EXPECT_EQ(F::FirstField(""), std::nullopt);
    EXPECT_EQ(F::FirstField("   \t"), std::nullopt);
    EXPECT_EQ(F::FirstField("\r\n4 xx"), std::nullopt);
    EXPECT_EQ(F::FirstField(",4 xx"), std::nullopt);
    EXPECT_EQ(F::FirstField("\"4 xx\r\n"), std::nullopt); // the closing quote is missing
}

TEST(RhythmFileFormat, LineOfTheDefaultRhythmIsThirtyThreeCharactersAndCrLf) {
    const CTrackList track = Accepted("4 xxxx (xxxx xxxx xxxx xxxx)0");
    const std::string line = RhythmFile::FormatLine(track.Rhithm());
    EXPECT_EQ(line, "\"4 xxxx (xxxx xxxx xxxx xxxx)0  \"\r\n");
    EXPECT_EQ(line.size(), 33u + 2u);
}

TEST(RhythmFileFormat, QuotesInsideTheTextAreDoubled) {
    EXPECT_EQ(RhythmFile::FormatLine("4 xx /\"a\"/"), "\"4 xx /\"\"a\"\"/\"\r\n");
    for (const std::string text : {"4 xx /\"a\"/  ", "\"", "\"\"", "a,b\"", "", "\"x\" x"}) {
        EXPECT_EQ(RhythmFile::FirstField(RhythmFile::FormatLine(text)), text) << text;
    }
}

TEST_F(RhythmFileTest, WriteThenReadRoundTrip) {
    const std::string path = PathOf("default.rtm");
    const std::string stored = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";
    ASSERT_EQ(RhythmFile::Write(path, stored), std::nullopt);
    EXPECT_EQ(Bytes(path), "\"" + stored + "\"\r\n");
    EXPECT_EQ(RhythmFile::Read(path), stored);

    const std::string quoted = "Title \"Slow\">8 /say \"go\"/ x'x'  <a, b";
    ASSERT_EQ(RhythmFile::Write(path, quoted), std::nullopt);
    EXPECT_EQ(RhythmFile::Read(path), quoted);
    EXPECT_EQ(Entries(), 1u); // no temporary file left behind
}

TEST_F(RhythmFileTest, WriteReplacesAnExistingFileAndKeepsItsPermissions) {
    const std::string path = Put("old.rtm", "\"8 xx xx xx xx  \"\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(RhythmFile::Write(path, "4 x'x'  "), std::nullopt);
    EXPECT_EQ(Bytes(path), "\"4 x'x'  \"\r\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(RhythmFileTest, FailedWriteGivesTheReasonAndLeavesNoTrace) {
    const std::optional<RhythmFile::Error> missing =
        RhythmFile::Write(PathOf("no-such-folder/a.rtm"), "4 xx  ");
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->reason, "No such file or directory");

    // A folder where the file should go: the rename fails, and the folder stays as it was.
    fs::create_directories(folder / "taken.rtm" / "inside");
    const std::optional<RhythmFile::Error> taken = RhythmFile::Write(PathOf("taken.rtm"), "4 xx  ");
    ASSERT_TRUE(taken.has_value());
    EXPECT_FALSE(taken->reason.empty());
    EXPECT_TRUE(fs::is_directory(folder / "taken.rtm" / "inside"));
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(RhythmFileTest, ReadGivesReasonsForFilesWithoutARhythm) {
    RhythmFile::Error error;
    EXPECT_EQ(RhythmFile::Read(PathOf("absent.rtm"), &error), std::nullopt);
    EXPECT_EQ(error.reason, "No such file or directory");
    EXPECT_EQ(RhythmFile::Read(Put("empty.rtm", ""), &error), std::nullopt);
    EXPECT_EQ(error.reason, "the file is empty");
    EXPECT_EQ(RhythmFile::Read(Put("bin.rtm", "4 xx\0\xff"s), &error), std::nullopt);
    EXPECT_EQ(error.reason, "the file is not a text file");
    EXPECT_EQ(RhythmFile::Read(Put("blank.rtm", "\r\n\r\n"), &error), std::nullopt);
    EXPECT_EQ(error.reason, "the file holds no rhythm");
    EXPECT_EQ(RhythmFile::Read(folder.string(), &error), std::nullopt);
    EXPECT_EQ(error.reason, "it is not an ordinary file");
    // A named pipe with no writer would hold the reader until someone writes to it.
    ASSERT_EQ(::mkfifo(PathOf("pipe.rtm").c_str(), 0600), 0);
    EXPECT_EQ(RhythmFile::Read(PathOf("pipe.rtm"), &error), std::nullopt);
    EXPECT_EQ(error.reason, "it is not an ordinary file");
}

TEST_F(RhythmFileTest, ReadLooksOnlyAtTheHeadOfALargeFile) {
    const std::string tail(RhythmFile::MaxReadBytes * 2, 'n');
    EXPECT_EQ(RhythmFile::Read(Put("big.rtm", "\"8 x'x'  \"\r\n" + tail)), "8 x'x'  ");
    EXPECT_EQ(RhythmFile::Read(Put("long.rtm", "8 x'x'" + tail)), std::nullopt);
}

TEST_F(RhythmFileTest, ReadFromFileAcceptsTheFirstField) {
    CTrackList track;
    track.ReadFromFile(Put("quoted.rtm", "\"8 x'x'x'x'\"\r\n\"4 xx\"\r\nnotes, more\r\n"));
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), "8 x'x'x'x'  ");
    EXPECT_EQ(track.FileRhithm(), "8 x'x'x'x'  ");
    EXPECT_EQ(Sounds(track, 3), "x'x");

    track.ReadFromFile(Put("plain.rtm", "12 x''x''x''x'',second field\r\n"));
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), "12 x''x''x''x''  ");
    EXPECT_EQ(track.CurDuration(), 4);
    EXPECT_EQ(track.CurPos(), 1);
}

TEST_F(RhythmFileTest, UnusableFilesLeaveTheRhythmUnchanged) {
    CTrackList track;
    track.ReadFromFile(Put("first.rtm", "\"8 xx xx xx xx\"\r\n"));
    ASSERT_EQ(track.LastCheck(), 1);
    Steps(track, 3);
    const CTrackList untouched = track;

    for (const std::string& path :
         {PathOf("absent.rtm"), Put("empty.rtm", ""),
          Put("binary.rtm", "\x7f\x45LF\x02\x01\x01\0\0\0xxxx,\r\n"s),
          Put("fieldless.rtm", "  \r\n"), Put("rejected.rtm", "\"4 )xx(\"\r\n"),
          Put("open.rtm", "\"4 xx\r\n")}) {
        track.ReadFromFile(path);
        EXPECT_EQ(track.LastCheck(), 0) << path;
        EXPECT_EQ(track.Rhithm(), untouched.Rhithm()) << path;
        EXPECT_EQ(track.FileRhithm(), "8 xx xx xx xx  ") << path;
        EXPECT_EQ(Observe(track), Observe(untouched)) << path;
    }
    CTrackList expected = untouched;
    EXPECT_EQ(Steps(track, 10), Steps(expected, 10));
}

TEST_F(RhythmFileTest, LastRhythmFromFileReturnsToTheFileAndRestarts) {
    CTrackList track = Accepted("4 xx");
    track.LastRhitmFromFile();
    EXPECT_EQ(track.Rhithm(), "4 xx  ");
    EXPECT_EQ(track.LastCheck(), 1);

    track.ReadFromFile(Put("file.rtm", "\"Intro>8 x'x^<end\"\r\n"));
    ASSERT_EQ(track.LastCheck(), 1);
    track.ReadFromFile(Put("bad.rtm", "\"4 x\"\r\n")); // rejected: the file rhythm stays
    track.Rhithm("16 xxxx");
    Steps(track, 2);
    track.LastRhitmFromFile();
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), "Intro>8 x'x^  <end");
    EXPECT_EQ(track.CurPos(), 7);
    EXPECT_EQ(Sounds(track, 4), "x'x^");
}

} // namespace
