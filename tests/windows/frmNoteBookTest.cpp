// The notebook window: what it writes when closed, and what it does when it cannot.
#include "frmNoteBook.h"

#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"

#include <gtest/gtest.h>

namespace {

class frmNoteBookTest : public ::testing::Test {
protected:
    ScriptedDialogs dialogs;
    TempFolder folder;
};

// The file is written and synced aside while the window's events, the beat's timer among them, go
// on: an event waiting when the notebook closes is delivered before the close returns.
TEST_F(frmNoteBookTest, ClosingWritesTheNotesWhileEventsGoOn) {
    folder.Put("notebook.txt", "\"old notes\"\r\n");
    frmNoteBook form(dialogs, folder.path);
    form.show();
    EXPECT_EQ(form.tx.toPlainText(), "old notes");
    form.tx.setPlainText(QStringLiteral("new notes"));
    bool delivered = false;
    QMetaObject::invokeMethod(
        &form, [&delivered] { delivered = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(delivered);
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"new notes\"\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

// That the notes stay open and are written once the folder can take them is the main window's
// closing test; here the warning names the file.
TEST_F(frmNoteBookTest, AnUnwritableFolderIsReportedWithTheFilesPath) {
    // A plain file where the folder should be: the notebook cannot be created in it.
    folder.Put("blocked", "not a folder");
    frmNoteBook form(dialogs, folder / "blocked");
    form.show();
    EXPECT_FALSE(form.close());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_NE(dialogs.messages[0].text.find((folder / "blocked/notebook.txt").string()),
              std::string::npos);
}

} // namespace
