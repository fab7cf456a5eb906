// The ".rtm" file format, its atomic writer, and loading files into the cursor.
#include "RhythmFile.h"

#include "CTrackList.h"
#include "CursorSteps.h"
#include "fakes/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
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
    std::string PathOf(const std::string& name) const { return (folder / name).string(); }
    std::string Put(const std::string& name, const std::string& bytes) const {
        folder.Put(name, bytes);
        return PathOf(name);
    }

    TempFolder folder;
};

TEST(RhythmFileFormat, FirstFieldQuotedOrPlain) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\"8 x'x', x\"\r\nnext line\r\n", "8 x'x', x"},
        {"\"4 xx\",\"other\"", "4 xx"},
        {"\"two\r\nlines\"", "two\r\nlines"},
        {"8 x'x'x'x',second\r\n", "8 x'x'x'x'"},
        {"4 xxxx   \r\nrest", "4 xxxx"},
        {"  \t\"4 xx\"", "4 xx"},
        {"say \"hi\",x", "say \"hi\""},
        {"\"\"\r\n", ""},
        {"\"a \"\"q\"\" b\"", "a \"q\" b"},
        // No field without text, nor without the closing quote.
        {"", std::nullopt},
        {"   \t", std::nullopt},
        {"\r\n4 xx", std::nullopt},
        {",4 xx", std::nullopt},
        {"\"4 xx\r\n", std::nullopt}};
    for (const auto& [bytes, field] : cases) {
        EXPECT_EQ(RhythmFile::FirstField(bytes), field) << bytes;
    }
}

TEST_F(RhythmFileTest, WriteThenReadRoundTrip) {
    const std::string path = PathOf("default.rtm");
    const std::string stored = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";
    ASSERT_EQ(RhythmFile::Write(path, stored), std::nullopt);
    EXPECT_EQ(folder.Bytes("default.rtm"), "\"" + stored + "\"\r\n");
    EXPECT_EQ(RhythmFile::Read(path), stored);

    const std::string quoted = "Title \"Slow\">8 /say \"go\"/ x'x'  <a, b";
    ASSERT_EQ(RhythmFile::Write(path, quoted), std::nullopt);
    EXPECT_EQ(RhythmFile::Read(path), quoted);
    EXPECT_EQ(folder.Entries(), 1u); // no temporary file left behind
}

TEST_F(RhythmFileTest, WriteReplacesAnExistingFileAndKeepsItsPermissions) {
    const std::string path = Put("old.rtm", "\"8 xx xx xx xx  \"\r\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(RhythmFile::Write(path, "4 x'x'  "), std::nullopt);
    EXPECT_EQ(folder.Bytes("old.rtm"), "\"4 x'x'  \"\r\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(folder.Entries(), 1u);
}

TEST_F(RhythmFileTest, FailedWriteGivesTheReasonAndLeavesNoTrace) {
    const std::optional<RhythmFile::Error> missing =
        RhythmFile::Write(PathOf("no-such-folder/a.rtm"), "4 xx  ");
    ASSERT_TRUE(missing.has_value());
    EXPECT_EQ(missing->reason, "No such file or directory");

    // A folder where the file should go: the rename fails, and the folder stays as it was.
    fs::create_directories(folder / "taken.rtm/inside");
    const std::optional<RhythmFile::Error> taken = RhythmFile::Write(PathOf("taken.rtm"), "4 xx  ");
    ASSERT_TRUE(taken.has_value());
    EXPECT_FALSE(taken->reason.empty());
    EXPECT_TRUE(fs::is_directory(folder / "taken.rtm/inside"));
    EXPECT_EQ(folder.Entries(), 1u);
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
    EXPECT_EQ(RhythmFile::Read(folder.path.string(), &error), std::nullopt);
    EXPECT_EQ(error.reason, "it is not an ordinary file");
    // A named pipe with no writer would hold the reader until someone writes to it.
    ASSERT_EQ(::mkfifo(PathOf("pipe.rtm").c_str(), 0600), 0);
    EXPECT_EQ(RhythmFile::Read(PathOf("pipe.rtm"), &error), std::nullopt);
    EXPECT_EQ(error.reason, "it is not an ordinary file");
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
