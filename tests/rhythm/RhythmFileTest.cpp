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

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(RhythmFileFormat, FirstFieldQuotedOrPlain) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\"8 x'x', x\"\r\nnext line\r\n", "8 x'x', x"},
        {"\"two\r\nlines\"", "two\r\nlines"},
        {"8 x'x'x'x',second\r\n", "8 x'x'x'x'"},
        {"4 xxxx   \r\nrest", "4 xxxx"},
        {"  \t\"4 xx\"", "4 xx"},
        {"say \"hi\",x", "say \"hi\""},
        {"\"\"\r\n", ""},
        {"\"a \"\"q\"\" b\"", "a \"q\" b"},
        // No field without text, nor without the closing quote.
        {"   \t", std::nullopt},
        {"\r\n4 xx", std::nullopt},
        {",4 xx", std::nullopt},
        {"\"4 xx\r\n", std::nullopt}};
    for (const auto& [bytes, field] : cases) {
        EXPECT_EQ(RhythmFile::FirstField(bytes), field) << bytes;
    }
}

TEST(RhythmFileWrite, ReplacesTheFileKeepingItsPermissionsAndReadsBack) {
    TempFolder folder;
    folder.Put("old.rtm", "\"8 xx xx xx xx  \"\r\n");
    const std::string path = (folder / "old.rtm").string();
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    const std::string quoted = "Title \"Slow\">8 /say \"go\"/ x'x'  <a, b";
    ASSERT_EQ(RhythmFile::Write(path, quoted), std::nullopt);
    EXPECT_EQ(folder.Bytes("old.rtm"), "\"Title \"\"Slow\"\">8 /say \"\"go\"\"/ x'x'  <a, b\"\r\n");
    EXPECT_EQ(RhythmFile::Read(path), quoted);
    EXPECT_EQ(fs::status(path).permissions(), mode);
    EXPECT_EQ(folder.Names(), std::set<std::string>{"old.rtm"}); // no temporary file left
}

TEST(RhythmFileWrite, FailureGivesTheReasonAndLeavesNoTrace) {
    TempFolder folder;
    fs::create_directories(folder / "taken.rtm/inside");
    for (const auto& [name, reason] :
         {std::pair{"no-such-folder/a.rtm", "No such file or directory"},
          {"taken.rtm", "Is a directory"}}) {
        const std::optional<RhythmFile::Error> error =
            RhythmFile::Write((folder / name).string(), "4 xx  ");
        ASSERT_TRUE(error.has_value()) << name;
        EXPECT_EQ(error->reason, reason);
    }
    EXPECT_EQ(folder.Names(), std::set<std::string>{"taken.rtm"});
    EXPECT_TRUE(fs::is_directory(folder / "taken.rtm/inside"));
}

// A file that cannot be used leaves the rhythm as it was and says why; a text that the check
// refuses is no read error.
TEST(RhythmFileRead, UnusableFilesLeaveTheRhythmUnchangedAndGiveTheReason) {
    TempFolder folder;
    folder.Put("first.rtm", "\"8 xx xx xx xx\"\r\n");
    fs::create_directory(folder / "folder.rtm");
    // A named pipe with no writer would hold the reader until someone writes to it.
    ASSERT_EQ(::mkfifo((folder / "pipe.rtm").c_str(), 0600), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"absent.rtm", "No such file or directory"},   {"empty.rtm", "the file is empty"},
        {"binary.rtm", "the file is not a text file"}, {"blank.rtm", "the file holds no rhythm"},
        {"open.rtm", "the file holds no rhythm"},      {"folder.rtm", "it is not an ordinary file"},
        {"pipe.rtm", "it is not an ordinary file"},    {"rejected.rtm", "unchanged"}};
    folder.Put("empty.rtm", "");
    folder.Put("binary.rtm", "\x7f\x45LF\x02\x01\x01\0\0\0xxxx,\r\n"s);
    folder.Put("blank.rtm", "  \r\n\r\n");
    folder.Put("open.rtm", "\"4 xx\r\n");
    folder.Put("rejected.rtm", "\"4 )xx(\"\r\n");

    CTrackList track;
    track.ReadFromFile((folder / "first.rtm").string());
    ASSERT_EQ(track.LastCheck(), 1);
    Play(track, 3);
    CTrackList untouched = track;
    for (const auto& [name, reason] : cases) {
        RhythmFile::Error error{"unchanged"};
        track.ReadFromFile((folder / name).string(), &error);
        EXPECT_EQ(track.LastCheck(), 0) << name;
        EXPECT_EQ(error.reason, reason) << name;
        EXPECT_EQ(track.Rhithm(), untouched.Rhithm()) << name;
        EXPECT_EQ(track.FileRhithm(), "8 xx xx xx xx  ") << name;
    }
    EXPECT_EQ(Play(track, 10), Play(untouched, 10));
}

TEST(RhythmFileRead, LastRhythmFromFileReturnsToTheFileAndRestarts) {
    TempFolder folder;
    CTrackList track = Accepted("4 xx");
    track.LastRhitmFromFile(); // no file read yet: nothing changes
    EXPECT_EQ(track.Rhithm(), "4 xx  ");
    folder.Put("file.rtm", "\"Intro>8 x'x^<end\"\r\n");
    track.ReadFromFile((folder / "file.rtm").string());
    track.Rhithm("16 xxxx");
    Play(track, 2);
    track.LastRhitmFromFile();
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), "Intro>8 x'x^  <end");
    EXPECT_EQ(Play(track, 4), "x8 '8 x8 ^8");
}

} // namespace
