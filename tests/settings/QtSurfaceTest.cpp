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

TEST_F(QtClockFaceTest, TheFaceIsSixtyPixelsSquare) {
    Draw("0", 0);
    EXPECT_EQ(surface.size(), QSize(60, 60));
    EXPECT_EQ(surface.Picture().size(), QSize(60, 60));
}

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

TEST_F(QtClockFaceTest, MarksLieOverTheHands) {
    // Six hours of total: the red hand points down to y 55, into the mark at six o'clock.
    Draw("21600", 0);
    EXPECT_EQ(At(surface, 30, 50), RedPixel);
    EXPECT_EQ(At(surface, 30, 54), BlackPixel);
    EXPECT_EQ(At(surface, 30, 56), BlackPixel);
}

TEST_F(QtClockFaceTest, AFrozenFaceIsStruckThroughInBlue) {
    Draw("0", 5000, true);
    EXPECT_EQ(At(surface, 10, 10), BluePixel);
    EXPECT_EQ(At(surface, 45, 45), BluePixel);
    EXPECT_EQ(At(surface, 50, 10), Apricot);
}

TEST_F(QtClockFaceTest, TheWidgetShowsWhatWasDrawn) {
    Draw("3600", 600000, true);
    const QImage shown = surface.grab().toImage();
    ASSERT_EQ(shown.size(), surface.Picture().size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            differing += shown.pixelColor(x, y) != At(surface, x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST(QtSurfaceTest, ClearShowsTheBackgroundEverywhere) {
    QtSurface surface(Apricot);
    surface.Resize(41, 89);
    surface.Line(0, 0, 40, 88, 3, Black);
    surface.Clear();
    const QImage& picture = surface.Picture();
    int other = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            other += picture.pixelColor(x, y) != Apricot ? 1 : 0;
        }
    }
    EXPECT_EQ(other, 0);
}

TEST(QtSurfaceTest, RectangleCoversBothCorners) {
    QtSurface surface(Apricot);
    surface.Resize(41, 89);
    surface.Clear();
    surface.Rectangle(0, 84, 30, 88, Black, Fill::Outline);
    EXPECT_EQ(At(surface, 0, 84), BlackPixel);
    EXPECT_EQ(At(surface, 30, 88), BlackPixel);
    EXPECT_EQ(At(surface, 15, 84), BlackPixel);
    EXPECT_EQ(At(surface, 15, 86), Apricot);
    EXPECT_EQ(At(surface, 31, 86), Apricot);
    EXPECT_EQ(At(surface, 15, 83), Apricot);

    surface.Rectangle(0, 84, 30, 88, Black, Fill::Solid);
    EXPECT_EQ(At(surface, 15, 86), BlackPixel);
    EXPECT_EQ(At(surface, 31, 86), Apricot);
}

TEST(QtSurfaceTest, CircleByCentreAndRadius) {
    QtSurface surface(Apricot);
    surface.Resize(41, 89);
    surface.Clear();
    surface.Circle(15, 80, 5, Black, Fill::Outline);
    EXPECT_EQ(At(surface, 15, 75), BlackPixel);
    EXPECT_EQ(At(surface, 20, 80), BlackPixel);
    EXPECT_EQ(At(surface, 15, 80), Apricot);
    EXPECT_EQ(At(surface, 15, 73), Apricot);

    surface.Circle(15, 80, 5, Black, Fill::Solid);
    EXPECT_EQ(At(surface, 15, 80), BlackPixel);
    EXPECT_EQ(At(surface, 15, 73), Apricot);
}

TEST(QtSurfaceTest, ADrawingOutlivesAResize) {
    QtSurface surface(Apricot);
    surface.Resize(20, 20);
    surface.Clear();
    surface.Line(0, 5, 19, 5, 1, Black);
    surface.Resize(40, 30);
    EXPECT_EQ(surface.Picture().size(), QSize(40, 30));
    EXPECT_EQ(At(surface, 10, 5), BlackPixel);
    EXPECT_EQ(At(surface, 30, 5), Apricot);
    EXPECT_EQ(At(surface, 10, 25), Apricot);
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
