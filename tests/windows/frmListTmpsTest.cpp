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

TEST_F(frmListTmpsTest, CaptionLayoutAndInitialBoxes) {
    EXPECT_EQ(form.windowTitle(), "List of Tempos");
    EXPECT_TRUE(form.isWindow());
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(form.size(), QSize(305, 417));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(255, 224, 192));
    EXPECT_EQ(form.txT.geometry(), QRect(80, 5, 41, 19));
    EXPECT_EQ(form.cmShow.geometry(), QRect(216, 8, 73, 25));
    EXPECT_EQ(form.txCoof1.geometry(), QRect(132, 103, 33, 19));
    EXPECT_EQ(form.tx.geometry(), QRect(8, 136, 289, 273));
    EXPECT_EQ(form.cmShow.text(), "Show");
    EXPECT_EQ(form.txT.text(), "100");
    EXPECT_EQ(form.txStep.text(), "2");
    EXPECT_EQ(form.txCoof2.text(), "2");
    EXPECT_EQ(form.txPlus.text(), "1");
    EXPECT_TRUE(form.chInt.isChecked());
    EXPECT_FALSE(form.chSum.isChecked());
    EXPECT_TRUE(form.tx.toPlainText().isEmpty());
    EXPECT_TRUE(QFontInfo(form.tx.font()).fixedPitch());
    // Written in the user's format, the initial coefficient reads as a tenth.
    EXPECT_EQ(frmListTmps::ReadNumber(form.txCoof1.text(), QLocale()), 0.1);
}

TEST_F(frmListTmpsTest, ShowListsThePlanOfTheInitialValues) {
    form.txCoof1.setText(QStringLiteral("0.1"));
    form.cmShow.click();
    QStringList lines = Shown(form);
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.front(), "102    1");
    EXPECT_EQ(lines.back(), "300    401");

    form.chSum.setChecked(true);
    form.cmShow.click();
    lines = Shown(form);
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines.back(), "300    401     13594");
}

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

TEST_F(frmListTmpsTest, StepsThatNeverReachTwoHundredStillEnd) {
    for (const char* step : {"0", "-2", "0.4", "1e12", "-1e12"}) {
        Fill("100", step, "0.1", "2", "1");
        form.tx.setPlainText(QStringLiteral("old list"));
        form.cmShow.click();
        EXPECT_TRUE(form.tx.toPlainText().isEmpty()) << step;
    }
    Fill("100", "3", "0.1", "2", "1");
    form.cmShow.click();
    const QStringList lines = Shown(form);
    ASSERT_EQ(lines.size(), 66);
    EXPECT_TRUE(lines.back().startsWith("298    "));
}

TEST_F(frmListTmpsTest, IntegersRoundHalvesToEven) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral("2.5"), c), 2);
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral("3.5"), c), 4);
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral(" 7 "), c), 7);
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral("-1.5"), c), -2);
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral("1e3"), c), 1000);
    EXPECT_EQ(frmListTmps::ReadInteger(QStringLiteral("1e300"), c),
              std::numeric_limits<int32_t>::max());
    for (const char* text : {"", "abc", "inf", "nan", "1e999", "2,5,5"}) {
        EXPECT_EQ(frmListTmps::ReadNumber(QString::fromUtf8(text), c), 0) << text;
    }
}

} // namespace
