#include "FormFixture.h"

#include <QColor>
#include <QImage>

namespace {

using BeatDisplayTest = FormFixture;

// The topmost row drawn in the ball box's middle column, -1 when nothing is drawn above the floor.
int BallTop(const QImage& picture) {
    for (int y = 0; y < 84; ++y) {
        if (QColor(picture.pixel(15, y)) != FormMain::BackColour) {
            return y;
        }
    }
    return -1;
}

TEST_F(BeatDisplayTest, StripPutsTheSymbolBeingPlayedInTheEighthColumn) {
    // "Übung" and "é" are several bytes each in the program's UTF-8; the strip counts characters.
    const struct {
        const char* rhythm;
        int steps;
        const char* strip;
    } rows[] = {
        {"4 xxxx (xxxx xxxx xxxx xxxx)0", 0, "     4 xxxx (xxxx xxxx xx"},
        // The fifth step is the first of the repeated group.
        {"4 xxxx (xxxx xxxx xxxx xxxx)0", 4, " xxxx (xxxx xxxx xxxx xxx"},
        {"8 /\xC3\x9C"
         "bung \xC3\xA9/ x'x'",
         0, "ung \xC3\xA9/ x'x'              "},
    };
    for (const auto& row : rows) {
        SetUp();
        form->Session->Metron->Track().Rhithm(row.rhythm);
        SwitchOn();
        Run(1);
        for (int step = 0; step < row.steps; ++step) {
            ASSERT_TRUE(NextBeat());
        }
        EXPECT_EQ(form->Display.lbRhithm.text(), QString::fromUtf8(row.strip)) << row.rhythm;
    }
    EXPECT_EQ(form->Display.lbInfo.text(), QString::fromUtf8("\xC3\x9C"
                                                             "bung \xC3\xA9"));
}

// The rod swings to the other side on every main beat, the bob with it, and stands still between;
// a swing lasts until the next main beat.
TEST_F(BeatDisplayTest, PendulumAlternatesOnEveryMainBeat) {
    const QPoint start = form->Display.LineMetr.P2;
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    const QPoint other = form->Display.LineMetr.P2;
    EXPECT_NE(other, start);
    for (int beat = 1; beat < 4; ++beat) {
        Run(250);
        EXPECT_EQ(form->Display.LineMetr.P2, beat % 2 == 1 ? other : start) << "between beats";
        ASSERT_TRUE(NextBeat());
        EXPECT_EQ(form->Display.LineMetr.P2, beat % 2 == 1 ? start : other) << beat;
        EXPECT_EQ(form->Display.SwingLength, 500);
    }
    form->Session->Metron->Track().Rhithm("8 x'x'x'x'");
    form->Session->Metron->BPM(100);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.SwingLength, 600);
    form->Session->Metron->Track().Rhithm("1 xx");
    form->Session->Metron->BPM(15);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.SwingLength, 16000);
}

// The ball moves only in ball mode while the beat is on: it leaves the floor on the beat, peaks
// halfway to the next and falls back as it rose.
TEST_F(BeatDisplayTest, BallLeavesTheFloorOnTheBeatAndPeaksHalfwayToTheNext) {
    form->ShowDisplayMode(1);
    EXPECT_FALSE(form->Display.Animating());
    SwitchOn();
    EXPECT_TRUE(form->Display.Animating());
    ASSERT_TRUE(NextBeat());
    const int32_t beat = form->Display.SwingStartTick;
    const auto top = [&](int32_t after) {
        ticks.now = beat + after;
        form->Display.DrawBall();
        return BallTop(form->Display.picBall.Picture());
    };
    const int rest = top(0);
    // Halfway the ball has risen 500 × 0.025 = 12.5 pixels.
    EXPECT_EQ(top(250), rest - 12);
    EXPECT_EQ(top(375), rest - 9);
    EXPECT_EQ(top(500), rest);
    form->ShowDisplayMode(0);
    EXPECT_FALSE(form->Display.Animating());
}

} // namespace
