// The tempo list window: its boxes, their number format and the list it shows.
#include "frmListTmps.h"

#include <QFontInfo>
#include <QStringList>
#include <gtest/gtest.h>
#include <limits>

namespace {

QStringList Shown(const frmListTmps& form) {
    QStringList lines = form.tx.toPlainText().split(QLatin1Char('\n'));
    // The list ends with a line break, which leaves an empty last line in the box.
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

class frmListTmpsTest : public ::testing::Test {
protected:
    void SetUp() override { form.setLocale(QLocale::c()); }

    void Fill(const char* start, const char* step, const char* coof1, const char* coof2,
              const char* plus) {
        form.txT.setText(QString::fromUtf8(start));
        form.txStep.setText(QString::fromUtf8(step));
        form.txCoof1.setText(QString::fromUtf8(coof1));
        form.txCoof2.setText(QString::fromUtf8(coof2));
        form.txPlus.setText(QString::fromUtf8(plus));
    }

    frmListTmps form;
};

TEST_F(frmListTmpsTest, NumbersAreReadInTheUsersFormat) {
    form.setLocale(QLocale(QLocale::German, QLocale::Germany));
    Fill("100", "5", "0,1", "1", "0");
    form.chInt.setChecked(false);
    form.cmShow.click();
    const QStringList lines = Shown(form);
    ASSERT_EQ(lines.size(), 40);
    EXPECT_EQ(lines[0], "105    ,5");
    EXPECT_EQ(lines[1], "110    1,");

    form.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    Fill("100", "5", "0.1", "1", "0");
    form.cmShow.click();
    EXPECT_EQ(Shown(form)[0], "105    .5");
}

TEST_F(frmListTmpsTest, ABoxThatIsNotANumberReadsAsZero) {
    Fill("fast", "100", "?", "2", "");
    form.cmShow.click();
    // Start 0, (i × 0)^2 + 0.
    EXPECT_EQ(Shown(form), (QStringList{"100    0", "200    0"}));

    Fill("100", "two", "0.1", "2", "1");
    form.cmShow.click();
    EXPECT_TRUE(form.tx.toPlainText().isEmpty());
}

} // namespace
