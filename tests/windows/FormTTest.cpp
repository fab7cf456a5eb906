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

class FormTTest : public ::testing::Test {
protected:
    TempoMemoryState memory = RampToSlot4();
    FormT form{memory};
};

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

} // namespace
