// The notebook's files: where they live, their exact layout, the one-time takeover of an old
// notebook, the drafts of notes being typed, and the rescue files of notes that could not be
// written when the program was made to end.
#include "NotebookDraft.h"
#include "NotebookFile.h"
#include "NotebookFolder.h"
#include "NotebookRecovery.h"
#include "fakes/TempFolder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

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
    EXPECT_EQ(folder.Names().size(), 1u);

    // A file made read-only in a writable folder is respected, not replaced.
    fs::remove_all(File());
    folder.Put("notebook.txt", "\"kept\"\r\n");
    fs::permissions(File(), fs::perms::owner_read);
    const auto readOnly = NotebookFile::Write(File(), "notes");
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->reason, "the file is read-only");
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"kept\"\r\n");

    // A named pipe in the file's place is not waited on (that a save does not replace it is the
    // rhythm commands' test, whose writer the notebook shares).
    fs::remove(File());
    ASSERT_EQ(::mkfifo(File().c_str(), 0600), 0);
    EXPECT_EQ(NotebookFile::Read(File()), "");
}

TEST(NotebookFolderTest, DataFolderFromTheEnvironment) {
    // XDG_DATA_HOME, HOME, the folder.
    const std::tuple<const char*, const char*, fs::path> cases[] = {
        {"/data", "/home/anna", "/data/Pulsara"},
        {nullptr, "/home/anna", "/home/anna/.local/share/Pulsara"},
        {"", "/home/anna", "/home/anna/.local/share/Pulsara"},
        {"relative/data", "/home/anna", "/home/anna/.local/share/Pulsara"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const auto& [xdgDataHome, home, expected] : cases) {
        EXPECT_EQ(NotebookFolder::UserDataFolder(xdgDataHome, home), expected)
            << (home ? home : "(unset)");
    }
}

// The old notebook is copied once and left as it is; a data folder that cannot be made leaves the
// notes where they are.
TEST(NotebookFolderTest, AnOldNotebookIsTakenOverOnceAndLeftAsItIs) {
    TempFolder folder;
    const fs::path data = folder / "data" / "Pulsara";
    const fs::path current = folder / "started-here";
    fs::create_directory(current);
    EXPECT_EQ(NotebookFolder::Prepare(data, current), data);
    EXPECT_TRUE(fs::is_directory(data));
    EXPECT_TRUE(fs::is_empty(data)) << "without an old notebook there is nothing to take over";

    const std::string old = "\"scales at 90\r\narpeggios\"\r\n";
    folder.Put("started-here/notebook.txt", old);
    EXPECT_EQ(NotebookFolder::Prepare(data, current), data);
    EXPECT_EQ(folder.Bytes("data/Pulsara/notebook.txt"), old);
    EXPECT_EQ(folder.Bytes("started-here/notebook.txt"), old);

    // Once the data folder has its notebook, the old file is no longer read.
    folder.Put("started-here/notebook.txt", "\"written by an older version\"\r\n");
    EXPECT_EQ(NotebookFolder::Prepare(data, current), data);
    EXPECT_EQ(folder.Bytes("data/Pulsara/notebook.txt"), old);

    folder.Put("plain", "a file where the folder should be");
    EXPECT_EQ(NotebookFolder::Prepare(folder / "plain" / "Pulsara", current), current);
    EXPECT_EQ(NotebookFolder::Prepare({}, current), current);
}

TEST(NotebookRecoveryTest, EachRescueKeepsAFileOfItsOwnUntilTheUserRemovesIt) {
    TempFolder folder;
    const fs::path rescue = folder / "rescue";
    const std::vector<fs::path> folders{rescue};
    EXPECT_EQ(NotebookRecovery::Notice(folders), "");
    EXPECT_EQ(NotebookRecovery::Save(folders, "\"first\r\nnotes\"\r\n"),
              rescue / "notebook-recovered.txt");
    EXPECT_EQ(NotebookRecovery::Save(folders, "\"second\"\r\n"),
              rescue / "notebook-recovered-2.txt");
    EXPECT_EQ(folder.Bytes("rescue/notebook-recovered.txt"), "\"first\r\nnotes\"\r\n");
    folder.Put("rescue/other.txt", "not a rescue");

    const std::vector<fs::path> kept{rescue / "notebook-recovered-2.txt",
                                     rescue / "notebook-recovered.txt"};
    EXPECT_EQ(NotebookRecovery::Kept(rescue), kept);
    const std::string notice = NotebookRecovery::Notice(folders);
    EXPECT_NE(notice.find("\n\"" + kept[0].string() + "\"\n\"" + kept[1].string() + "\"\n"),
              std::string::npos)
        << notice;

    // A folder that cannot take the file gives way to the next.
    folder.Put("plain", "a file where the folder should be");
    EXPECT_FALSE(NotebookRecovery::Save({folder / "plain"}, "notes"));
    EXPECT_EQ(NotebookRecovery::Save({folder / "plain", folder / "next"}, "notes"),
              folder / "next" / "notebook-recovered.txt");
}

// The draft of a run that ended without closing the notebook is taken over at the next start: kept
// as a rescued file when it differs from the notebook, removed when the notebook holds the same.
// The draft of a run still going is left alone; one with this run's own id is an earlier run's.
TEST(NotebookRecoveryTest, DraftsOfRunsThatAreGoneAreTakenOverAtTheNextStart) {
    TempFolder folder;
    const std::vector<fs::path> folders{folder.path, folder / "second"};
    fs::create_directories(folders[1]);
    const std::string notebook = "\"saved\"\r\n";
    folder.Put(NotebookDraft::FileName(::getpid()), "\"typed, never saved\"\r\n");
    folder.Put("second/" + NotebookDraft::FileName(999999999), notebook);
    folder.Put("second/notebook-draft-1x.txt", "not a draft's name");
    const pid_t running = ::fork();
    ASSERT_GE(running, 0);
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    folder.Put("second/" + NotebookDraft::FileName(running), "\"still being typed\"\r\n");
    NotebookRecovery::TakeOverDrafts(folders, notebook);
    EXPECT_EQ(folder.Bytes("notebook-recovered.txt"), "\"typed, never saved\"\r\n");
    EXPECT_EQ(NotebookRecovery::Kept(folders[0]),
              std::vector<fs::path>{folders[0] / "notebook-recovered.txt"});
    EXPECT_EQ(NotebookRecovery::Kept(folders[1]), std::vector<fs::path>{})
        << "the same as the notebook, or still being typed";
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    EXPECT_EQ(NotebookRecovery::Kept(folders[1]),
              std::vector<fs::path>{folders[1] / NotebookDraft::FileName(running)})
        << "a run gone since is named too";
}

// The draft goes to the first folder that takes it, and the file is named on stderr when that is
// not the first; the one in an earlier folder goes once a later one holds newer notes.
TEST(NotebookDraftTest, KeptInTheFirstFolderThatTakesItAndRemovedWhenDiscarded) {
    TempFolder folder;
    folder.Put("plain", "a file where the folder should be");
    const fs::path blocked = folder / "blocked";
    const std::string name = NotebookDraft::FileName(::getpid());
    fs::create_directories(blocked / name); // a folder in the draft's place: no write there
    NotebookDraft draft({folder / "plain", blocked, folder / "last"});
    ::testing::internal::CaptureStderr();
    draft.Keep("\"one\"\r\n");
    EXPECT_EQ(draft.Where(), folder / "last" / name);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find((folder / "last" / name).string()),
              std::string::npos);
    fs::remove(blocked / name);
    draft.Keep("\"two\"\r\n");
    EXPECT_EQ(draft.Where(), blocked / name);
    EXPECT_EQ(folder.Bytes("blocked/" + name), "\"two\"\r\n");
    EXPECT_FALSE(fs::exists(folder / "last" / name)) << "an older draft was left behind";
    draft.Discard();
    EXPECT_EQ(draft.Where(), std::nullopt);
    EXPECT_TRUE(fs::is_empty(blocked));
}

} // namespace
