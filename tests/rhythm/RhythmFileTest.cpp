// The ".rtm" file format and its atomic writer.
#include "RhythmFile.h"

#include "fakes/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// What a read gives: the first field of the file, or why there is none.
std::string ReadOf(const fs::path& file) {
    RhythmFile::Error error;
    const std::optional<std::string> text = RhythmFile::Read(file.string(), &error);
    return text ? *text : "! " + error.reason;
}

TEST(RhythmFileRead, FirstFieldQuotedOrPlainOrWhyThereIsNone) {
    TempFolder folder;
    const std::pair<std::string, std::string> cases[] = {
        {"\"8 x'x', x\"\r\nnext line\r\n", "8 x'x', x"},
        {"\"two\r\nlines\"", "two\r\nlines"},
        {"8 x'x'x'x',second\r\n", "8 x'x'x'x'"},
        {"4 xxxx   \r\nrest", "4 xxxx"},
        {"  \t\"4 xx\"", "4 xx"},
        {"say \"hi\",x", "say \"hi\""},
        {"\"\"\r\n", ""},
        {"\"a \"\"q\"\" b\"", "a \"q\" b"},
        {"", "! the file is empty"},
        {"\x7f\x45LF\x02\x01\x01\0\0\0xxxx,\r\n"s, "! the file is not a text file"},
        // No field without text, nor without the closing quote.
        {"   \t", "! the file holds no rhythm"},
        {"\r\n4 xx", "! the file holds no rhythm"},
        {",4 xx", "! the file holds no rhythm"},
        {"\"4 xx\r\n", "! the file holds no rhythm"},
        // The field ends well before the read limit cuts the file.
        {"4 xx\r\n" + std::string(RhythmFile::MaxReadBytes, 'x'), "4 xx"},
        // A file of exactly the limit is read whole.
        {"4 " + std::string(RhythmFile::MaxReadBytes - 2, 'x'),
         "4 " + std::string(RhythmFile::MaxReadBytes - 2, 'x')},
        // A field that runs past the limit, with or without its quotes, is too long to be read;
        // so is one whose last quote read could be the first of a doubled one.
        {"\"4 " + std::string(3 * RhythmFile::MaxReadBytes, 'x'),
         "! the rhythm in the file is too long (over 1 MB)"},
        {"4 " + std::string(RhythmFile::MaxReadBytes, 'x'),
         "! the rhythm in the file is too long (over 1 MB)"},
        {"\"" + std::string(RhythmFile::MaxReadBytes - 2, 'x') + "\"\"x\"",
         "! the rhythm in the file is too long (over 1 MB)"}};
    for (const auto& [bytes, read] : cases) {
        folder.Put("file.rtm", bytes);
        EXPECT_EQ(ReadOf(folder / "file.rtm"), read) << bytes.substr(0, 40);
    }
    // A named pipe with no writer would hold the reader until someone writes to it.
    ASSERT_EQ(::mkfifo((folder / "pipe.rtm").c_str(), 0600), 0);
    EXPECT_EQ(ReadOf(folder / "pipe.rtm"), "! it is not an ordinary file");
    EXPECT_EQ(ReadOf(folder.path), "! it is not an ordinary file");
    EXPECT_EQ(ReadOf(folder / "absent.rtm"), "! No such file or directory");
}

// Written through a link in another folder, as when rhythms are kept in a synced folder: the file
// it points to takes the text and the link stays.
TEST(RhythmFileWrite, ReplacesTheFileKeepingItsPermissionsAndReadsBack) {
    TempFolder folder;
    folder.Put("old.rtm", "\"8 xx xx xx xx  \"\r\n");
    fs::create_directory(folder / "links");
    fs::create_symlink("../old.rtm", folder / "links/take.rtm");
    const std::string path = (folder / "links/take.rtm").string();
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    const std::string quoted = "Title \"Slow\">8 /say \"go\"/ x'x'  <a, b";
    ASSERT_EQ(RhythmFile::Write(path, quoted), std::nullopt);
    EXPECT_EQ(folder.Bytes("old.rtm"), "\"Title \"\"Slow\"\">8 /say \"\"go\"\"/ x'x'  <a, b\"\r\n");
    EXPECT_EQ(RhythmFile::Read(path), quoted);
    EXPECT_EQ(fs::status(path).permissions(), mode);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"old.rtm", "links"})); // no temporary left
}

// A write the system refuses part way, as on a full disk: a forked child may write no byte to a
// file, and exits 0 when the failure was reported with its reason.
TEST(RhythmFileWrite, RefusedWriteKeepsTheOldFile) {
    GTEST_FLAG_SET(death_test_style, "fast");
    TempFolder folder;
    folder.Put("old.rtm", "\"8 xx\"\r\n");
    const auto writeWithoutRoom = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{0, 0};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const auto error = RhythmFile::Write((folder / "old.rtm").string(), "4 xx  ");
        return error && error->reason == "File too large" ? 0 : 1;
    };
    EXPECT_EXIT(std::exit(writeWithoutRoom()), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"old.rtm"});
    EXPECT_EQ(folder.Bytes("old.rtm"), "\"8 xx\"\r\n");
}

} // namespace
