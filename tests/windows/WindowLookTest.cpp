// The windows as they appear: grabbed from the offscreen screen. With PULSARA_GRAB_DIR set the
// pictures are also saved there as PNG files, to look at.
#include "FormT.h"
#include "fakes/TempFolder.h"
#include "fakes/ScriptedDialogs.h"
#include "frmListTmps.h"
#include "frmNoteBook.h"
#include "frmRhithm.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const QColor Peach(255, 224, 192);

QImage Grab(QWidget& window, const char* name) {
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (const char* folder = std::getenv("PULSARA_GRAB_DIR")) {
        picture.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name) + ".png");
    }
    return picture.toImage();
}

TEST(WindowLook, TheTempoListIsPeachWithItsFormula) {
    frmListTmps form;
    form.setLocale(QLocale::c());
    form.txCoof1.setText(QStringLiteral("0.1"));
    form.chSum.setChecked(true);
    form.cmShow.click();
    const QImage picture = Grab(form, "frmListTmps");
    ASSERT_EQ(picture.size(), QSize(305, 417));
    EXPECT_EQ(picture.pixelColor(170, 20), Peach);
    EXPECT_EQ(picture.pixelColor(4, 130), Peach);
    // The formula's labels write on the peach.
    bool ink = false;
    for (int x = 16; x < 200; ++x) {
        ink = ink || picture.pixelColor(x, 80) != Peach;
    }
    EXPECT_TRUE(ink);
}

TEST(WindowLook, TheRhythmEntryIsPeach) {
    std::string RhythmEntryText = "4 xxxx (xxxx xxxx xxxx xxxx  )0";
    frmRhithm form(RhythmEntryText);
    const QImage picture = Grab(form, "frmRhithm");
    ASSERT_EQ(picture.size(), QSize(571, 95));
    EXPECT_EQ(picture.pixelColor(100, 70), Peach);
    EXPECT_EQ(picture.pixelColor(5, 5), Peach);
}

TEST(WindowLook, TheGrowthDialogShowsItsDots) {
    TempoMemoryState memory;
    FormT form(memory);
    form.sl.setValue(20);
    const QImage picture = Grab(form, "FormT");
    ASSERT_EQ(picture.size(), QSize(266, 159));
    const QColor background = picture.pixelColor(10, 10);
    // The ring of the dot at x = 0.5 (centre 140, 80), at its left, and its empty middle.
    EXPECT_NE(picture.pixelColor(137, 80), background);
    EXPECT_EQ(picture.pixelColor(140, 80), background);
}

TEST(WindowLook, TheNotebookIsAllText) {
    ScriptedDialogs dialogs;
    TempFolder folder;
    folder.Put("notebook.txt", "\"Monday: scales at 80, \"\"Hanon\"\" No. 1\r\n"
                               "Tuesday: arpeggios at 96\"\r\n");
    frmNoteBook form(dialogs, folder.path);
    const QImage picture = Grab(form, "frmNoteBook");
    ASSERT_EQ(picture.size(), QSize(552, 373));
    EXPECT_EQ(form.tx.toPlainText(),
              "Monday: scales at 80, \"Hanon\" No. 1\nTuesday: arpeggios at 96");
    EXPECT_TRUE(form.close());
}

} // namespace
