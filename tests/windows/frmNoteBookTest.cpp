// The notebook window: what it reads when opened, writes when closed, and does when it cannot.
#include "frmNoteBook.h"

#include "fakes/TempFolder.h"
#include "fakes/ScriptedDialogs.h"

#include <QApplication>
#include <QFontInfo>
#include <gtest/gtest.h>
#include <memory>

namespace {

class frmNoteBookTest : public ::testing::Test {
protected:
    std::unique_ptr<frmNoteBook> Open() {
        auto form = std::make_unique<frmNoteBook>(dialogs, folder.path);
        form->show();
        return form;
    }

    ScriptedDialogs dialogs;
    TempFolder folder;
};

TEST_F(frmNoteBookTest, CaptionLookAndTheBoxFillingTheWindow) {
    const auto form = Open();
    EXPECT_EQ(form->windowTitle(), "Notebook");
    EXPECT_TRUE(form->isWindow());
    EXPECT_EQ(form->size(), QSize(552, 373));
    EXPECT_EQ(form->tx.geometry(), QRect(0, 0, 552, 373));
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(255, 224, 192));
    EXPECT_TRUE(QFontInfo(form->tx.font()).fixedPitch());
    EXPECT_DOUBLE_EQ(form->tx.font().pointSizeF(), 9.75);
    EXPECT_EQ(form->FilePath(), folder / "notebook.txt");

    form->resize(700, 250);
    QApplication::processEvents();
    EXPECT_EQ(form->tx.geometry(), QRect(0, 0, 700, 250));
}

TEST_F(frmNoteBookTest, FirstUseOpensEmptyAndClosingCreatesTheFile) {
    const auto form = Open();
    EXPECT_TRUE(form->tx.toPlainText().isEmpty());
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"\"\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(frmNoteBookTest, TwoLinesComeBackAfterClosingAndOpening) {
    {
        const auto form = Open();
        form->tx.setPlainText(QStringLiteral("Scales at 80\nArpeggios at 96"));
        EXPECT_TRUE(form->close());
    }
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"Scales at 80\r\nArpeggios at 96\"\r\n");
    const auto again = Open();
    EXPECT_EQ(again->tx.toPlainText(), "Scales at 80\nArpeggios at 96");
}

TEST_F(frmNoteBookTest, NotesWithQuotesComeBackWhole) {
    const QString notes = QStringLiteral("\"Hanon\" No. 1, \u00e9tude\n\"\"\nlast \"");
    {
        const auto form = Open();
        form->tx.setPlainText(notes);
        EXPECT_TRUE(form->close());
    }
    const auto again = Open();
    EXPECT_EQ(again->tx.toPlainText(), notes);
}

TEST_F(frmNoteBookTest, AnUnwritableFolderIsReportedAndTheNotesStayOpen) {
    // A plain file where the folder should be: the notebook cannot be created in it.
    folder.Put("blocked", "not a folder");
    frmNoteBook form(dialogs, folder / "blocked");
    form.show();
    form.tx.setPlainText(QStringLiteral("Do not lose me"));

    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.tx.toPlainText(), "Do not lose me");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Notebook");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_NE(dialogs.messages[0].text.find((folder / "blocked/notebook.txt").string()),
              std::string::npos);

    // Once the folder can be written, closing again saves the notes.
    std::filesystem::remove(folder / "blocked");
    std::filesystem::create_directory(folder / "blocked");
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(folder.Bytes("blocked/notebook.txt"), "\"Do not lose me\"\r\n");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(frmNoteBookTest, ANotebookStillOpenWhenDestroyedKeepsItsNotes) {
    {
        const auto form = Open();
        form->tx.setPlainText(QStringLiteral("typed before the program ended"));
    }
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"typed before the program ended\"\r\n");

    // One never shown, or already closed, leaves the file alone.
    folder.Put("notebook.txt", "\"kept\"\r\n");
    {
        frmNoteBook hidden(dialogs, folder.path);
        hidden.tx.setPlainText(QStringLiteral("never shown"));
    }
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"kept\"\r\n");
}

TEST_F(frmNoteBookTest, AnotherEditorsNotesOpenWhole) {
    folder.Put("notebook.txt", "Scales, then arpeggios\r\nSecond line\r\n");
    const auto form = Open();
    EXPECT_EQ(form->tx.toPlainText(), "Scales, then arpeggios\nSecond line\n");
    EXPECT_TRUE(form->close());
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"Scales, then arpeggios\r\nSecond line\r\n\"\r\n");
}

} // namespace
