// The rhythm entry dialog: the text goes out only through OK.
#include "frmRhithm.h"

#include <QApplication>
#include <QFontInfo>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(frmRhithmWindow, CaptionLayoutAndTheTextWithItsBlankTail) {
    std::string RhythmEntryText = "4 xxxx (xxxx xxxx xxxx xxxx  )0";
    frmRhithm form(RhythmEntryText);
    EXPECT_EQ(form.windowTitle(), "Enter Rhithm");
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(form.size(), QSize(571, 95));
    EXPECT_EQ(form.txRhithm.geometry(), QRect(16, 8, 537, 40));
    EXPECT_EQ(form.cmOK.geometry(), QRect(256, 56, 49, 25));
    EXPECT_EQ(form.cmOK.text(), "OK");
    EXPECT_TRUE(QFontInfo(form.txRhithm.font()).fixedPitch());
    EXPECT_EQ(form.txRhithm.text().toStdString(), RhythmEntryText);
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(255, 224, 192));
}

TEST(frmRhithmWindow, OkReplacesTheText) {
    std::string RhythmEntryText = "8 x'x'x'x'  ";
    frmRhithm form(RhythmEntryText);
    form.show();
    form.txRhithm.setText(QStringLiteral("4 x^x^ /caption \u00e9/"));
    form.cmOK.click();
    EXPECT_EQ(RhythmEntryText, "4 x^x^ /caption \u00e9/");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST(frmRhithmWindow, TheCloseBoxLeavesTheTextAsItWas) {
    std::string RhythmEntryText = "8 x'x'x'x'  ";
    frmRhithm form(RhythmEntryText);
    form.show();
    form.txRhithm.setText(QStringLiteral("4 x"));
    EXPECT_TRUE(form.close());
    EXPECT_EQ(RhythmEntryText, "8 x'x'x'x'  ");
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST(frmRhithmWindow, ShownModallyAndAnsweredWithAnEmptiedBox) {
    std::string RhythmEntryText = "8 x'x'x'x'  ";
    frmRhithm form(RhythmEntryText);
    QTimer::singleShot(0, &form, [&form] {
        form.txRhithm.clear();
        form.cmOK.click();
    });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(RhythmEntryText, "");
}

TEST(frmRhithmWindow, ALongRhythmProgramComesBackWhole) {
    std::string RhythmEntryText;
    while (RhythmEntryText.size() < 50000) {
        RhythmEntryText += "(xxxx)4 ";
    }
    const std::string original = RhythmEntryText;
    frmRhithm form(RhythmEntryText);
    form.cmOK.click();
    EXPECT_EQ(RhythmEntryText, original);
}

} // namespace
