// The side windows' own part: what their boxes, slider and buttons hand on to the rest, and what
// the notebook writes when closed.
#include "FileContent.h"
#include "FormT.h"
#include "NotebookFile.h"
#include "TempoField.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"
#include "frmListTmps.h"
#include "frmNoteBook.h"
#include "frmRhithm.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

namespace fs = std::filesystem;

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
// ones keep every byte the change did not touch.
TEST_F(frmNoteBookTest, UntouchedNotesStayAsTheyAreAndAnEditKeepsTheRest) {
    folder.Put("notebook.txt", "\"na\xC3\xAFve \xE9\xC2\xA0x\r\ny\xE2\x80\xA8z\xE2\x80\xA9w\"\r\n");
    struct stat before {};
    ::stat((folder / "notebook.txt").c_str(), &before);
    frmNoteBook form(dialogs, folder.path);
    form.KeepFolders({folder / "keep"});
    form.show();
    EXPECT_EQ(form.tx.toPlainText(), QStringLiteral("na\u00EFve \uFFFD x\ny\nz\nw"));
    EXPECT_TRUE(form.close());
    struct stat after {};
    ::stat((folder / "notebook.txt").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was written again";
    form.show();
    QTextCursor end(form.tx.document()->lastBlock());
    end.movePosition(QTextCursor::EndOfBlock);
    end.insertText(QStringLiteral("!"));
    EXPECT_TRUE(form.close());
    EXPECT_EQ(folder.Bytes("notebook.txt"),
              "\"na\xC3\xAFve \xE9\xC2\xA0x\r\ny\xE2\x80\xA8z\xE2\x80\xA9w!\"\r\n");
}

// A moment after each change the notes are in a draft on disk; back to what the file holds, or
// saved, they need none.
TEST_F(frmNoteBookTest, ADraftFollowsTheChanges) {
    folder.Put("notebook.txt", "\"old\"\r\n");
    frmNoteBook form(dialogs, folder.path);
    form.KeepFolders({folder / "keep"});
    form.show();
    const fs::path draft = folder / "keep" / NotebookDraft::FileName(::getpid());
    auto drafted = [&] {
        EXPECT_TRUE(form.timDraft.isActive());
        form.timDraft.stop();
        form.timDraft_Timer();
        form.Draft().Flush();
        return FileContent(draft);
    };
    form.tx.appendPlainText(QStringLiteral("typed"));
    EXPECT_EQ(drafted(), "\"old\r\ntyped\"\r\n");
    form.tx.undo();
    EXPECT_EQ(drafted(), std::nullopt) << "the notes are as their file holds them";
    form.tx.appendPlainText(QStringLiteral("kept"));
    EXPECT_EQ(drafted(), "\"old\r\nkept\"\r\n");
    EXPECT_TRUE(form.close());
    form.Draft().Flush();
    EXPECT_FALSE(fs::exists(draft)) << "saved notes need no draft";
    EXPECT_EQ(folder.Bytes("notebook.txt"), "\"old\r\nkept\"\r\n");
}

} // namespace
