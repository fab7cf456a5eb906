// The rhythm entry dialog: the text goes out only through OK.
#include "frmRhithm.h"

#include <QApplication>
#include <QFontInfo>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

namespace {

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

} // namespace
