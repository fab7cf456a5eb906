// The side windows' own part: what their boxes, slider and buttons hand on to the rest, and what
// the notebook writes when closed.
#include "FileContent.h"
#include "FormT.h"
#include "NotebookFile.h"
#include "NotebookRecovery.h"
#include "TempoField.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"
#include "frmListTmps.h"
#include "frmNoteBook.h"
#include "frmRhithm.h"

#include <QCoreApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// The ramp itself is TempoGrowth's: here only that the slider reaches it, and only on OK.
TEST(FormTWindow, OkFillsTheRampAlongTheSlider) {
    const TempoMemoryState before{.TempoMemory = {60, 1, 2, 3, 100, 5, 6, 7, 8}, .CurSlot = 4};
    TempoMemoryState memory = before;
    FormT form(memory);
    form.show();
    form.sl.setValue(20);
    EXPECT_EQ(memory, before);
    form.Command1.click();
    EXPECT_EQ(memory.TempoMemory, (std::array<int32_t, 9>{60, 62, 70, 82, 100, 5, 6, 7, 8}));
    EXPECT_FALSE(form.isVisible());
}

// A tempo beyond the range may be typed on its way to the field's end; letters never.
TEST(TempoFieldBox, TakesDigitsBeyondTheRangeButNoLetters) {
    TempoField field;
    field.setRange(15, 320);
    const std::pair<QString, QValidator::State> rows[] = {{"400", QValidator::Intermediate},
                                                          {"4000", QValidator::Invalid},
                                                          {"ab", QValidator::Invalid},
                                                          {"-5", QValidator::Invalid}};
    for (auto [text, state] : rows) {
        int pos = static_cast<int>(text.size());
        EXPECT_EQ(field.validate(text, pos), state) << text.toStdString();
    }
}

TEST(frmRhithmWindow, OnlyOkReplacesTheText) {
    std::string text = "8 x'x'x'x'  ";
    frmRhithm form(text);
    EXPECT_EQ(form.txRhithm.text(), "8 x'x'x'x'  ");
    form.txRhithm.setText(QStringLiteral("4 x^x^ /caption \u00e9/"));
    EXPECT_EQ(text, "8 x'x'x'x'  ");
    form.cmOK.click();
    EXPECT_EQ(text, "4 x^x^ /caption \u00e9/");
}

TEST(frmListTmpsWindow, BoxesAreReadInTheUsersNumberFormatAndNonsenseAsZero) {
    frmListTmps form;
    const auto show = [&form](const char* start, const char* step, const char* coof1,
                              const char* plus) {
        form.txT.setText(QString::fromUtf8(start));
        form.txStep.setText(QString::fromUtf8(step));
        form.txCoof1.setText(QString::fromUtf8(coof1));
        form.txPlus.setText(QString::fromUtf8(plus));
        form.cmShow.click();
        return form.tx.toPlainText().split(QLatin1Char('\n')).value(0);
    };
    form.chInt.setChecked(false);
    form.txCoof2.setText(QStringLiteral("1"));
    form.setLocale(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(show("100", "5", "0,1", "0"), "105    ,5");
    // Start 0, (i × 0)^1 + 0.
    EXPECT_EQ(show("fast", "100", "?", ""), "100    ,");
    EXPECT_EQ(form.tx.toPlainText().count(QLatin1Char('\n')), 2) << "one line break per line";
    EXPECT_EQ(show("100", "two", "0.1", "1"), "");
}

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

// Notes nobody changed are not written at all, whatever the text box would make of them; changed
// ones keep every byte the change did not touch. A UTF-16 file shows its text.
TEST_F(frmNoteBookTest, UntouchedNotesStayAsTheyAreAndAnEditKeepsTheRest) {
    const std::string notes = "\"na\xC3\xAFve \xE9\xC2\xA0x\r\ny\xE2\x80\xA8z\xE2\x80\xA9w\"\r\n";
    const std::string utf16 = "\xFF\xFE\"\0\xC9\0t\0\"\0\r\0\n\0"s;
    for (const std::string& bytes : {notes, utf16}) {
        folder.Put("notebook.txt", bytes);
        struct stat before {};
        ::stat((folder / "notebook.txt").c_str(), &before);
        frmNoteBook form(dialogs, folder.path);
        form.KeepFolders({folder / "keep"});
        form.show();
        EXPECT_EQ(form.tx.toPlainText(), bytes == notes
                                             ? QStringLiteral("na\u00EFve \uFFFD x\ny\nz\nw")
                                             : QStringLiteral("\u00C9t"));
        EXPECT_TRUE(form.close());
        struct stat after {};
        ::stat((folder / "notebook.txt").c_str(), &after);
        EXPECT_EQ(folder.Bytes("notebook.txt"), bytes);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file was written again";
    }
    folder.Put("notebook.txt", notes);
    frmNoteBook form(dialogs, folder.path);
    form.KeepFolders({folder / "keep"});
    form.show();
    QTextCursor end(form.tx.document()->lastBlock());
    end.movePosition(QTextCursor::EndOfBlock);
    end.insertText(QStringLiteral("!"));
    EXPECT_TRUE(form.close());
    EXPECT_EQ(folder.Bytes("notebook.txt"),
              "\"na\xC3\xAFve \xE9\xC2\xA0x\r\ny\xE2\x80\xA8z\xE2\x80\xA9w!\"\r\n");
}

// A moment after each change the notes are in a draft on disk, which the next start takes over when
// the program ends without closing the notebook; back to what the file holds, or saved, the notes
// need no draft.
TEST_F(frmNoteBookTest, ADraftFollowsTheChangesAndOutlivesAnAbruptEnd) {
    folder.Put("notebook.txt", "\"old\"\r\n");
    const fs::path keep = folder / "keep";
    const fs::path draft = keep / NotebookDraft::FileName(::getpid());
    auto drafted = [&](const std::optional<std::string>& content) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < deadline && FileContent(draft) != content) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        return FileContent(draft) == content;
    };
    {
        frmNoteBook form(dialogs, folder.path);
        form.KeepFolders({keep});
        form.show();
        const auto typed = std::chrono::steady_clock::now();
        form.tx.appendPlainText(QStringLiteral("typed"));
        EXPECT_TRUE(drafted("\"old\r\ntyped\"\r\n"));
        EXPECT_LT(std::chrono::steady_clock::now() - typed, std::chrono::milliseconds(2000));
        form.tx.undo();
        EXPECT_TRUE(drafted(std::nullopt)) << "the notes are as their file holds them";
        form.tx.appendPlainText(QStringLiteral("again"));
        EXPECT_TRUE(drafted("\"old\r\nagain\"\r\n"));
        // The program ends here without a word: the window is gone, never closed.
        form.hide();
    }
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"old\"\r\n");
    NotebookRecovery::TakeOverDrafts({keep}, FileContent(folder / "notebook.txt"));
    EXPECT_EQ(folder.Bytes("keep/notebook-recovered.txt"), "\"old\r\nagain\"\r\n");

    frmNoteBook form(dialogs, folder.path);
    form.KeepFolders({keep});
    form.show();
    form.tx.appendPlainText(QStringLiteral("kept"));
    EXPECT_TRUE(drafted("\"old\r\nkept\"\r\n"));
    EXPECT_TRUE(form.close());
    form.Draft().Flush();
    EXPECT_FALSE(fs::exists(draft)) << "saved notes need no draft";
}

} // namespace
