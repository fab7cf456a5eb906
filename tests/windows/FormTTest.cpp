// The tempo growth dialog: its slider, its curve drawn for real, and how it closes.
#include "FormT.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TempoMemoryState RampToSlot4() {
    TempoMemoryState memory;
    memory.TempoMemory = {60, 1, 2, 3, 100, 5, 6, 7, 8};
    memory.CurSlot = 4;
    memory.LastSlot = 8;
    return memory;
}

// Whether any pixel within `reach` of the point differs from the background: the ring of a dot of
// radius 3 lies within 4 pixels of its centre.
bool InkNear(const QImage& picture, int x, int y, int reach = 4) {
    const QColor background = picture.pixelColor(0, 0);
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (picture.pixelColor(x + dx, y + dy) != background) {
                return true;
            }
        }
    }
    return false;
}

class FormTTest : public ::testing::Test {
protected:
    TempoMemoryState memory = RampToSlot4();
    FormT form{memory};
};

TEST_F(FormTTest, CaptionLayoutAndSlider) {
    EXPECT_EQ(form.windowTitle(), "Set Tempo Growth");
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(form.size(), QSize(266, 159));
    EXPECT_EQ(form.sl.geometry(), QRect(40, 120, 185, 33));
    EXPECT_EQ(form.Command1.geometry(), QRect(232, 120, 33, 33));
    EXPECT_EQ(form.Command1.text(), "OK");
    EXPECT_EQ(form.sl.orientation(), Qt::Horizontal);
    EXPECT_EQ(form.sl.minimum(), 0);
    EXPECT_EQ(form.sl.maximum(), 40);
    EXPECT_EQ(form.sl.value(), 10);
}

TEST_F(FormTTest, OkFillsTheRampAlongTheSlidersCurve) {
    form.show();
    form.sl.setValue(20);
    form.Command1.click();
    EXPECT_EQ(memory.TempoMemory, (std::array<int32_t, 9>{60, 62, 70, 82, 100, 5, 6, 7, 8}));
    EXPECT_EQ(memory.LastSlot, 4);
    EXPECT_EQ(memory.CurSlot, 4);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(FormTTest, ShownModallyTheStartingPositionGivesTheStraightRamp) {
    QTimer::singleShot(0, &form, [this] { form.Command1.click(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(memory.TempoMemory, (std::array<int32_t, 9>{60, 70, 80, 90, 100, 5, 6, 7, 8}));
    EXPECT_EQ(memory.LastSlot, 4);
}

TEST_F(FormTTest, TheCloseBoxAndEscapeChangeNothing) {
    form.show();
    form.sl.setValue(20);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(memory, RampToSlot4());

    QTimer::singleShot(0, &form, [this] {
        form.sl.setValue(30);
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&form, &escape);
    });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(memory, RampToSlot4());
}

TEST_F(FormTTest, TheCurveIsThereWhenShownAndFollowsTheSlider) {
    form.show();
    QApplication::processEvents();
    const QImage& picture = form.DrawingArea().Picture();
    ASSERT_EQ(picture.size(), QSize(266, 120));
    // The straight ramp: the dot for x = 0.5 halfway up the box.
    EXPECT_TRUE(InkNear(picture, 100, 100));
    EXPECT_TRUE(InkNear(picture, 140, 60));
    EXPECT_TRUE(InkNear(picture, 180, 20));
    EXPECT_FALSE(InkNear(picture, 140, 80));
    EXPECT_FALSE(InkNear(picture, 50, 50, 10));

    form.sl.setValue(20);
    EXPECT_TRUE(InkNear(picture, 140, 80));
    EXPECT_FALSE(InkNear(picture, 140, 60));

    // Position 0: the whole row along the top edge, the first dot too.
    form.sl.setValue(0);
    EXPECT_TRUE(InkNear(picture, 100, 20));
    EXPECT_TRUE(InkNear(picture, 140, 20));
    EXPECT_FALSE(InkNear(picture, 100, 100));
}

TEST_F(FormTTest, EachActivationDrawsTheCurveAgain) {
    form.show();
    form.sl.blockSignals(true);
    form.sl.setValue(20);
    form.sl.blockSignals(false);
    const QImage& picture = form.DrawingArea().Picture();
    EXPECT_FALSE(InkNear(picture, 140, 80));
    QEvent activation(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &activation);
    EXPECT_TRUE(InkNear(picture, 140, 80));
    EXPECT_FALSE(InkNear(picture, 140, 60));
}

} // namespace
