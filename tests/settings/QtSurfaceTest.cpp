#include "QtSurface.h"

#include "CClock.h"
#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const QColor Apricot(255, 224, 192);
const QColor BlackPixel(0, 0, 0);
const QColor RedPixel(255, 0, 0);
const QColor BluePixel(0, 0, 255);

constexpr Colour Black{0, 0, 0};

QColor At(const QtSurface& surface, int x, int y) {
    return surface.Picture().pixelColor(x, y);
}

// The clock's face drawn for real on a surface of the main window's background colour.
class QtClockFaceTest : public ::testing::Test {
protected:
    void Draw(const char* storedTotal, int32_t runMilliseconds, bool frozen = false) {
        store.Set("Time", "TotalTime", storedTotal);
        CClock clock(ticks, store);
        clock.Container(surface);
        ticks.Advance(runMilliseconds);
        clock.Freeze(frozen);
        clock.Paint();
    }

    ManualTickSource ticks;
    MemorySettingsStore store;
    QtSurface surface{Apricot};
};

TEST_F(QtClockFaceTest, HandsAndMarksLandOnTheirPixels) {
    Draw("0", 0);
    // Total hand (red, one pixel) over the run hand (black, two pixels), both straight up; the
    // mark at twelve, on its nearest pixel column, over both.
    EXPECT_EQ(At(surface, 30, 12), RedPixel);
    EXPECT_EQ(At(surface, 30, 25), RedPixel);
    EXPECT_TRUE(At(surface, 29, 12) == BlackPixel || At(surface, 31, 12) == BlackPixel);
    EXPECT_EQ(At(surface, 30, 6), BlackPixel);
    EXPECT_EQ(At(surface, 29, 6), Apricot);
    EXPECT_EQ(At(surface, 31, 6), Apricot);
    // Marks at six, three and nine o'clock.
    EXPECT_EQ(At(surface, 30, 57), BlackPixel);
    EXPECT_EQ(At(surface, 57, 30), BlackPixel);
    EXPECT_EQ(At(surface, 3, 30), BlackPixel);
    // Between the marks and away from the hands the background shows.
    EXPECT_EQ(At(surface, 45, 45), Apricot);
    EXPECT_EQ(At(surface, 10, 40), Apricot);
}

TEST(QtSurfaceTest, ASurfaceWithoutSizeTakesDrawingQuietly) {
    QtSurface surface(Apricot);
    surface.Resize(0, 0);
    surface.Clear();
    surface.Line(0, 0, 10, 10, 1, Black);
    surface.Circle(5, 5, 2, Black, Fill::Solid);
    EXPECT_TRUE(surface.Picture().isNull());
}

} // namespace
