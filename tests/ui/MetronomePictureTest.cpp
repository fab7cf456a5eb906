#include "MetronomePicture.h"

#include <QColor>
#include <gtest/gtest.h>

namespace {

bool Yellow(QColor c) {
    return c.alpha() == 255 && c.red() > 200 && c.green() > 150 && c.blue() < 130;
}

bool Light(QColor c) {
    return c.alpha() == 255 && c.red() > 240 && c.green() > 235 && c.blue() > 200;
}

TEST(MetronomePictureTest, IsAYellowPyramidWithALightWindowAboveThePivot) {
    const QImage picture = MetronomePicture();
    ASSERT_EQ(picture.size(), QSize(64, 64));
    const auto at = [&](int x, int y) { return picture.pixelColor(x, y); };

    // Transparent ground at the corners and beside the narrow top.
    EXPECT_EQ(at(0, 0).alpha(), 0);
    EXPECT_EQ(at(63, 0).alpha(), 0);
    EXPECT_EQ(at(5, 15).alpha(), 0);
    EXPECT_EQ(at(60, 30).alpha(), 0);

    // The case is yellow on both sides of the window, wide at the foot and narrow at the top.
    EXPECT_TRUE(Yellow(at(12, 50)));
    EXPECT_TRUE(Yellow(at(40, 50)));
    EXPECT_TRUE(Yellow(at(21, 12)));
    EXPECT_FALSE(Yellow(at(12, 12)));

    // The light window rises from the pivot: above it light, around the pivot's column.
    EXPECT_TRUE(Light(at(MetronomePivot.x() - 3, MetronomePivot.y() - 2)));
    EXPECT_TRUE(Light(at(MetronomePivot.x() + 3, MetronomePivot.y() - 2)));
    EXPECT_TRUE(Light(at(MetronomePivot.x(), 12)));
    EXPECT_TRUE(Light(at(MetronomePivot.x() + 3, 20)));
    // Below the window's foot the case goes on.
    EXPECT_FALSE(Light(at(MetronomePivot.x() - 4, MetronomePivot.y() + 4)));
    EXPECT_EQ(MetronomePivot, QPoint(26, 39));
}

TEST(MetronomePictureTest, IsDrawnSharpForAHighDensityScreen) {
    const QImage picture = MetronomePicture(2.0);
    EXPECT_EQ(picture.size(), QSize(128, 128));
    EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(64, 64));
    EXPECT_EQ(picture.pixelColor(0, 0).alpha(), 0);
    EXPECT_TRUE(Yellow(picture.pixelColor(2 * 12, 2 * 50)));
    EXPECT_TRUE(Light(picture.pixelColor(2 * MetronomePivot.x(), 2 * 12)));
}

} // namespace
