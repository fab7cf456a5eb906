// The notebook's file: its exact layout, quotes, foreign files and failed writes.
#include "NotebookFile.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class NotebookFileTest : public ::testing::Test {
protected:
    fs::path File() const { return folder / "notebook.txt"; }

    TempFolder folder;
};

TEST_F(NotebookFileTest, QuotesAreDoubledAndComeBackWhole) {
    const std::pair<std::string, std::string> cases[] = {
        {"Play \"Hanon\" No. 1\n\"\"\nends with a quote\"",
         "\"Play \"\"Hanon\"\" No. 1\r\n\"\"\"\"\r\nends with a quote\"\"\"\r\n"},
        {"", "\"\"\r\n"},
    };
    for (const auto& [text, bytes] : cases) {
        ASSERT_FALSE(NotebookFile::Write(File(), text));
        EXPECT_EQ(folder.Bytes("notebook.txt"), bytes);
        EXPECT_EQ(NotebookFile::Read(File()), text);
    }
}

TEST_F(NotebookFileTest, ReadsOneFieldAndKeepsOtherTextWhole) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" \r\n\r\n", ""},
        {"ok", "ok"}, // two characters, the shortest note that a trimming fault cuts away
        // Commas and blank lines inside the quotes are text.
        {"\"a, b\r\n\r\nc\"\r\n", "a, b\n\nc"},
        // Without the final line end, or with blanks around it.
        {"  \"notes\"", "notes"},
        {"\"notes\"  \n\n", "notes"},
        // Written by another editor, text after the field, a quote never closed: all of it is
        // kept, so that closing the notebook cuts nothing away.
        {"Scales, then arpeggios\nSecond line\n", "Scales, then arpeggios\nSecond line\n"},
        {"\"first\"\r\nmore notes\r\n", "\"first\"\nmore notes\n"},
        {"\"cut off", "\"cut off"},
        // UTF-8 is kept; anything else (an old 8-bit file, an overlong "/") is Windows-1252, whose
        // 0x80 to 0x9F are signs of their own or, where unassigned, control characters.
        {"\xEF\xBB\xBF\"\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5\"",
         "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
        {"\"\xE9tude\"\r\n", "\xC3\xA9tude"},
        {"\x80\x93\x81 \xC0\xAF", "\xE2\x82\xAC\xE2\x80\x9C\xC2\x81 \xC3\x80\xC2\xAF"},
    };
    for (const auto& [bytes, text] : cases) {
        folder.Put("notebook.txt", bytes);
        EXPECT_EQ(NotebookFile::Read(File()), text) << bytes;
    }
    EXPECT_EQ(NotebookFile::Read(folder / "missing.txt"), "");
    EXPECT_EQ(NotebookFile::Read(folder.path), "");
}

TEST_F(NotebookFileTest, AFailedWriteGivesTheReasonAndLeavesNoTrace) {
    // A missing folder is the notebook window's test. A folder where the file should be: what it
    // holds stays, and no temporary file is left.
    fs::create_directory(File());
    folder.Put("notebook.txt/keep", "x");
    EXPECT_TRUE(NotebookFile::Write(File(), "notes"));
    EXPECT_EQ(folder.Bytes("notebook.txt/keep"), "x");
    EXPECT_EQ(folder.Entries(), 1u);

    // A file made read-only in a writable folder is respected, not replaced.
    fs::remove_all(File());
    folder.Put("notebook.txt", "\"kept\"\r\n");
    fs::permissions(File(), fs::perms::owner_read);
    const auto readOnly = NotebookFile::Write(File(), "notes");
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->reason, "the file is read-only");
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"kept\"\r\n");

    // A named pipe in the file's place is neither waited on nor replaced.
    fs::remove(File());
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    EXPECT_EQ(NotebookFile::Read(File()), "");
    EXPECT_TRUE(NotebookFile::Write(File(), "notes"));
    EXPECT_TRUE(fs::is_fifo(File()));
}

} // namespace
