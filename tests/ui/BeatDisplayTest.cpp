#include "FormFixture.h"

#include <vector>

namespace {

using BeatDisplayTest = FormFixture;

QPoint BobCentre(const FormMain& form) {
    return QPoint(form.Display.shMetr.Left + 4, form.Display.shMetr.Top + 4);
}

TEST_F(BeatDisplayTest, StripPutsTheSymbolBeingPlayedInTheEighthColumn) {
    SwitchOn();
    Run(1);
    // The first "x" of the default rhythm stands at position 3.
    EXPECT_EQ(form->Display.lbRhithm.text(), "     4 xxxx (xxxx xxxx xx");
    EXPECT_EQ(form->Display.lbRhithm.text().at(7), 'x');
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.lbRhithm.text(), "    4 xxxx (xxxx xxxx xxx");
    for (int beat = 0; beat < 3; ++beat) {
        ASSERT_TRUE(NextBeat());
    }
    // The fifth step is the first of the repeated group; the strip is always 25 characters wide.
    EXPECT_EQ(form->Display.lbRhithm.text(), " xxxx (xxxx xxxx xxxx xxx");
    EXPECT_EQ(form->Display.lbRhithm.text().at(6), '(');
    EXPECT_EQ(form->Display.lbRhithm.text().at(7), 'x');
}

TEST_F(BeatDisplayTest, StripCountsCharactersSoACaptionWithAccentsKeepsTheSymbolUnderTheMarker) {
    // "Übung" and "é" are several bytes each in the program's UTF-8.
    form->Metron->Track().Rhithm("8 /\xC3\x9C"
                                 "bung \xC3\xA9/ x'x'");
    SwitchOn();
    Run(1);
    EXPECT_EQ(form->Display.lbInfo.text(), QString::fromUtf8("\xC3\x9C"
                                                             "bung \xC3\xA9"));
    const QString strip = form->Display.lbRhithm.text();
    EXPECT_EQ(strip.size(), 25);
    EXPECT_EQ(strip.at(7), 'x');
    EXPECT_EQ(strip, QString::fromUtf8("ung \xC3\xA9/ x'x'  ") + QString(12, ' '));
}

TEST_F(BeatDisplayTest, SwingLengthIsTheTimeToTheNextMainBeat) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.SwingLength, 500);
    EXPECT_EQ(form->Display.SwingStartTick, ticks.now);

    form->Metron->Track().Rhithm("8 x'x'x'x'");
    form->Metron->BPM(100);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.SwingLength, 600);

    form->Metron->Track().Rhithm("1 xx");
    form->Metron->BPM(15);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Display.SwingLength, 16000);
}

// The rod swings to the other side on every main beat, the bob with it, and stands still between.
TEST_F(BeatDisplayTest, PendulumAlternatesOnEveryMainBeat) {
    const QPoint start = form->Display.LineMetr.P2;
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    const QPoint other = form->Display.LineMetr.P2;
    EXPECT_NE(other, start);
    int32_t lastBeat = form->Display.SwingStartTick;
    for (int beat = 1; beat < 5; ++beat) {
        Run(250);
        EXPECT_EQ(form->Display.LineMetr.P2, beat % 2 == 1 ? other : start) << "between beats";
        ASSERT_TRUE(NextBeat());
        EXPECT_EQ(form->KeyState.SwingCount, beat + 1);
        EXPECT_EQ(form->Display.LineMetr.P2, beat % 2 == 1 ? start : other) << beat;
        EXPECT_EQ(BobCentre(*form), form->Display.LineMetr.P2);
        EXPECT_EQ(form->Display.SwingStartTick - lastBeat, 500);
        lastBeat = form->Display.SwingStartTick;
    }
}

TEST_F(BeatDisplayTest, BallLeavesTheFloorOnTheBeatAndPeaksHalfwayToTheNext) {
    form->ShowDisplayMode(1);
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    ASSERT_EQ(form->Display.SwingLength, 500);
    const int32_t beat = form->Display.SwingStartTick;

    form->Display.DrawBall();
    // At rest the ball's centre is at 80 with radius 5.
    EXPECT_EQ(BallTop(form->Display.picBall.Picture()), 75);
    // Halfway the ball has risen 500 × 0.025 = 12.5 pixels: its centre at 67.5 lands on 68.
    ticks.now = beat + 250;
    form->Display.DrawBall();
    EXPECT_EQ(BallTop(form->Display.picBall.Picture()), 63);
    ticks.now = beat + 125;
    form->Display.DrawBall();
    // A quarter of the way: 0.75 × 12.5 = 9.375 pixels up.
    EXPECT_EQ(BallTop(form->Display.picBall.Picture()), 66);
    // The floor spans (0, 84) to (30, 88).
    EXPECT_NE(QColor(form->Display.picBall.Picture().pixel(0, 86)), FormMain::BackColour);
    EXPECT_NE(QColor(form->Display.picBall.Picture().pixel(30, 86)), FormMain::BackColour);
    EXPECT_EQ(QColor(form->Display.picBall.Picture().pixel(35, 86)), FormMain::BackColour);
}

TEST_F(BeatDisplayTest, TheBallMovesOnlyInBallModeWhileTheBeatIsOn) {
    SwitchOn();
    EXPECT_FALSE(form->Display.Animating());
    form->Metron->Enable(false);
    form->ShowDisplayMode(1);
    EXPECT_FALSE(form->Display.Animating());
    EXPECT_FALSE(AnythingDrawn(form->Display.picBall.Picture()));
    SwitchOn();
    EXPECT_TRUE(form->Display.Animating());
    EXPECT_TRUE(AnythingDrawn(form->Display.picBall.Picture()));
    form->ShowDisplayMode(0);
    EXPECT_FALSE(form->Display.Animating());
}

} // namespace
