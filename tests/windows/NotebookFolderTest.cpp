// Where the notebook lives, and the one-time takeover of a notebook from the current folder.
#include "NotebookFolder.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(NotebookFolderTest, DataFolderFromTheEnvironment) {
    struct Case {
        const char* xdgDataHome;
        const char* home;
        fs::path expected;
    };
    const Case cases[] = {
        {"/data", "/home/anna", "/data/Pulsara"},
        {nullptr, "/home/anna", "/home/anna/.local/share/Pulsara"},
        {"", "/home/anna", "/home/anna/.local/share/Pulsara"},
        {"relative/data", "/home/anna", "/home/anna/.local/share/Pulsara"},
        {nullptr, nullptr, ""},
        {nullptr, "relative", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NotebookFolder::UserDataFolder(c.xdgDataHome, c.home), c.expected)
            << (c.home ? c.home : "(unset)");
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

} // namespace
