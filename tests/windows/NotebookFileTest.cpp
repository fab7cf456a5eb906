// The notebook's file: its exact layout, quotes, foreign files and failed writes.
#include "NotebookFile.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

namespace {

using namespace std::string_literals;

class NotebookFileTest : public ::testing::Test {
protected:
    std::filesystem::path File() const { return folder / "notebook.txt"; }

    TempFolder folder;
};

TEST_F(NotebookFileTest, QuotesAreDoubledAndComeBackWhole) {
    const std::string text = "Play \"Hanon\" No. 1\n\"\"\nends with a quote\"";
    ASSERT_FALSE(NotebookFile::Write(File(), text));
    EXPECT_EQ(folder.Bytes("notebook.txt"),
              "\"Play \"\"Hanon\"\" No. 1\r\n\"\"\"\"\r\nends with a quote\"\"\"\r\n");
    EXPECT_EQ(NotebookFile::Read(File()), text);
}

TEST_F(NotebookFileTest, EmptyNotesAndMissingOrEmptyFiles) {
    EXPECT_EQ(NotebookFile::Read(File()), "");
    folder.Put("notebook.txt", "");
    EXPECT_EQ(NotebookFile::Read(File()), "");
    folder.Put("notebook.txt", " \r\n\r\n");
    EXPECT_EQ(NotebookFile::Read(File()), "");
    EXPECT_EQ(NotebookFile::Read(folder.path), "");

    ASSERT_FALSE(NotebookFile::Write(File(), ""));
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"\"\r\n");
    EXPECT_EQ(NotebookFile::Read(File()), "");
}

TEST_F(NotebookFileTest, FilesOfTheLayoutGiveTheirField) {
    // Commas and blank lines inside the quotes are text.
    folder.Put("notebook.txt", "\"a, b\r\n\r\nc\"\r\n");
    EXPECT_EQ(NotebookFile::Read(File()), "a, b\n\nc");
    // Without the final line end, or with blanks around it.
    folder.Put("notebook.txt", "  \"notes\"");
    EXPECT_EQ(NotebookFile::Read(File()), "notes");
    folder.Put("notebook.txt", "\"notes\"  \n\n");
    EXPECT_EQ(NotebookFile::Read(File()), "notes");
}

TEST_F(NotebookFileTest, OtherTextIsKeptWholeSoThatClosingCutsNothingAway) {
    // Written by another editor: the first field would stop at the comma.
    folder.Put("notebook.txt", "Scales, then arpeggios\nSecond line\n");
    EXPECT_EQ(NotebookFile::Read(File()), "Scales, then arpeggios\nSecond line\n");
    // Text after the field.
    folder.Put("notebook.txt", "\"first\"\r\nmore notes\r\n");
    EXPECT_EQ(NotebookFile::Read(File()), "\"first\"\nmore notes\n");
    // A quote never closed.
    folder.Put("notebook.txt", "\"cut off");
    EXPECT_EQ(NotebookFile::Read(File()), "\"cut off");
}

TEST_F(NotebookFileTest, AFailedWriteGivesTheReasonAndLeavesNoTrace) {
    const std::optional<NotebookFile::Error> missing =
        NotebookFile::Write(folder / "no-such-folder/notebook.txt", "notes");
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->reason.empty());

    // A folder where the file should be: what it holds stays, and no temporary file is left.
    std::filesystem::create_directory(File());
    folder.Put("notebook.txt/keep", "x");
    const std::optional<NotebookFile::Error> taken = NotebookFile::Write(File(), "notes");
    ASSERT_TRUE(taken);
    EXPECT_EQ(folder.Bytes("notebook.txt/keep"), "x");
    EXPECT_EQ(folder.Entries(), 1u);

    // A file made read-only in a writable folder is respected, not replaced.
    std::filesystem::remove_all(File());
    folder.Put("notebook.txt", "\"kept\"\r\n");
    std::filesystem::permissions(File(), std::filesystem::perms::owner_read);
    const std::optional<NotebookFile::Error> readOnly = NotebookFile::Write(File(), "notes");
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->reason, "the file is read-only");
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"kept\"\r\n");

    // A named pipe in the file's place is neither waited on nor replaced.
    std::filesystem::remove(File());
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    EXPECT_EQ(NotebookFile::Read(File()), "");
    EXPECT_TRUE(NotebookFile::Write(File(), "notes"));
    EXPECT_TRUE(std::filesystem::is_fifo(File()));
}

TEST_F(NotebookFileTest, ContentAndTextAreInverse) {
    for (const std::string text : {"", "one", "two\nlines", "\"\"", "trailing\n", "\n\nblank"}) {
        EXPECT_EQ(NotebookFile::TextOf(NotebookFile::ContentOf(text)), text) << text;
    }
}

} // namespace
