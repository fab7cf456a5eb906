// The notes that could not be written when the program was made to end: each rescue in a file of
// its own, named at the next start.
#include "NotebookRecovery.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(NotebookRecoveryTest, EachRescueKeepsAFileOfItsOwnUntilTheUserRemovesIt) {
    TempFolder folder;
    const std::filesystem::path rescue = folder / "rescue";
    EXPECT_EQ(NotebookRecovery::Notice(rescue), "");
    EXPECT_EQ(NotebookRecovery::Save(rescue, "first\nnotes"), rescue / "notebook-recovered.txt");
    EXPECT_EQ(NotebookRecovery::Save(rescue, "second"), rescue / "notebook-recovered-2.txt");
    EXPECT_EQ(folder.Bytes("rescue/notebook-recovered.txt"), "\"first\r\nnotes\"\r\n");
    folder.Put("rescue/other.txt", "not a rescue");

    const std::vector<std::filesystem::path> kept{rescue / "notebook-recovered-2.txt",
                                                  rescue / "notebook-recovered.txt"};
    EXPECT_EQ(NotebookRecovery::Kept(rescue), kept);
    const std::string notice = NotebookRecovery::Notice(rescue);
    EXPECT_NE(notice.find("\n\"" + kept[0].string() + "\"\n\"" + kept[1].string() + "\"\n"),
              std::string::npos)
        << notice;

    folder.Put("plain", "a file where the folder should be");
    EXPECT_FALSE(NotebookRecovery::Save(folder / "plain", "notes"));
}

} // namespace
