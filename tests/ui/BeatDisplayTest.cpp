#include "FormFixture.h"

#include <vector>

namespace {

using BeatDisplayTest = FormFixture;

const QPoint Pivot(218, 63);
const QPoint LeftEnd(208, 38);
const QPoint RightEnd(233, 43);

QPoint BobCentre(const FormMain& form) {
    return QPoint(form.shMetr.Left + 4, form.shMetr.Top + 4);
}

TEST_F(BeatDisplayTest, StripPutsTheSymbolBeingPlayedInTheEighthColumn) {
    SwitchOn();
    Passes(1);
    // The first "x" of the default rhythm stands at position 3.
    EXPECT_EQ(form->lbRhithm.text(), "     4 xxxx (xxxx xxxx xx");
    EXPECT_EQ(form->lbRhithm.text().at(7), 'x');
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->lbRhithm.text(), "    4 xxxx (xxxx xxxx xxx");
    for (int beat = 0; beat < 3; ++beat) {
        ASSERT_TRUE(NextBeat());
    }
    // The fifth step is the first of the repeated group; the strip is always 25 characters wide.
    EXPECT_EQ(form->lbRhithm.text(), " xxxx (xxxx xxxx xxxx xxx");
    EXPECT_EQ(form->lbRhithm.text().at(6), '(');
    EXPECT_EQ(form->lbRhithm.text().at(7), 'x');
}

TEST_F(BeatDisplayTest, StripShowsTheCaptionAndTheBlanksAtTheEndOfTheText) {
    form->Metron->Track().Rhithm("8 /up/ x'x'");
    SwitchOn();
    Passes(1);
    EXPECT_EQ(form->lbInfo.text(), "up");
    // Stepping on to the last "'" of the body: the window runs into the blanks after the text.
    for (int pass = 0; pass < 5000 && form->Metron->Track().CurPos() != 12; ++pass) {
        Passes(1);
    }
    ASSERT_EQ(form->Metron->Track().CurPos(), 12);
    EXPECT_EQ(form->lbRhithm.text().toStdString(),
              std::string("up/ x'x'  ") + std::string(15, ' '));
    EXPECT_EQ(form->lbRhithm.text().at(7), '\'');
}

TEST_F(BeatDisplayTest, StripCountsCharactersSoACaptionWithAccentsKeepsTheSymbolUnderTheMarker) {
    // "Übung" and "é" are several bytes each in the program's UTF-8.
    form->Metron->Track().Rhithm("8 /\xC3\x9C"
                                 "bung \xC3\xA9/ x'x'");
    SwitchOn();
    Passes(1);
    EXPECT_EQ(form->lbInfo.text(), QString::fromUtf8("\xC3\x9C"
                                                     "bung \xC3\xA9"));
    const QString strip = form->lbRhithm.text();
    EXPECT_EQ(strip.size(), 25);
    EXPECT_EQ(strip.at(7), 'x');
    EXPECT_EQ(strip, QString::fromUtf8("ung \xC3\xA9/ x'x'  ") + QString(12, ' '));
}

TEST_F(BeatDisplayTest, SwingLengthIsTheTimeToTheNextMainBeat) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->SwingLength, 500);
    // The beat was handled before the pass's sleep.
    EXPECT_EQ(form->SwingStartTick, ticks.now - 1);

    form->Metron->Track().Rhithm("8 x'x'x'x'");
    form->Metron->BPM(100);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->SwingLength, 600);

    form->Metron->Track().Rhithm("1 xx");
    form->Metron->BPM(15);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->SwingLength, 16000);
}

TEST_F(BeatDisplayTest, PendulumAlternatesStartingFromTheRight) {
    EXPECT_EQ(form->LineMetr.P2, LeftEnd);
    SwitchOn();
    const QPoint expected[] = {RightEnd, LeftEnd, RightEnd, LeftEnd, RightEnd};
    int32_t lastBeat = 0;
    for (int beat = 0; beat < 5; ++beat) {
        ASSERT_TRUE(NextBeat());
        EXPECT_EQ(form->KeyState.SwingCount, beat + 1);
        EXPECT_EQ(form->LineMetr.P1, Pivot);
        EXPECT_EQ(form->LineMetr.P2, expected[beat]) << beat;
        EXPECT_EQ(BobCentre(*form), expected[beat]);
        if (beat > 0) {
            EXPECT_EQ(form->SwingStartTick - lastBeat, 500);
        }
        lastBeat = form->SwingStartTick;
        // Between beats the rod stands still.
        Passes(250);
        EXPECT_EQ(form->LineMetr.P2, expected[beat]);
    }
}

TEST_F(BeatDisplayTest, BallModeBeatsLeaveThePendulumWhereItStood) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    ASSERT_EQ(form->LineMetr.P2, RightEnd);
    form->ShowDisplayMode(1);
    EXPECT_FALSE(form->imMetronome.Visible);
    EXPECT_FALSE(form->LineMetr.Visible);
    EXPECT_FALSE(form->shMetr.Visible);
    EXPECT_FALSE(form->picBall.isHidden());
    for (int beat = 0; beat < 3; ++beat) {
        ASSERT_TRUE(NextBeat());
    }
    EXPECT_EQ(form->KeyState.SwingCount, 1);
    form->ShowDisplayMode(0);
    EXPECT_TRUE(form->imMetronome.Visible && form->LineMetr.Visible && form->shMetr.Visible);
    EXPECT_TRUE(form->picBall.isHidden());
    EXPECT_EQ(form->LineMetr.P2, RightEnd);
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->LineMetr.P2, LeftEnd);
}

TEST_F(BeatDisplayTest, BallLeavesTheFloorOnTheBeatAndPeaksHalfwayToTheNext) {
    form->ShowDisplayMode(1);
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    ASSERT_EQ(form->SwingLength, 500);
    const int32_t beat = form->SwingStartTick;

    form->DrawBall();
    // At rest the ball's centre is at 80 with radius 5.
    EXPECT_EQ(BallTop(form->picBall.Picture()), 75);
    // Halfway the ball has risen 500 × 0.025 = 12.5 pixels: its centre at 67.5 lands on 68.
    ticks.now = beat + 250;
    form->DrawBall();
    EXPECT_EQ(BallTop(form->picBall.Picture()), 63);
    ticks.now = beat + 125;
    form->DrawBall();
    // A quarter of the way: 0.75 × 12.5 = 9.375 pixels up.
    EXPECT_EQ(BallTop(form->picBall.Picture()), 66);
    // The floor spans (0, 84) to (30, 88).
    EXPECT_NE(QColor(form->picBall.Picture().pixel(0, 86)), FormMain::BackColour);
    EXPECT_NE(QColor(form->picBall.Picture().pixel(30, 86)), FormMain::BackColour);
    EXPECT_EQ(QColor(form->picBall.Picture().pixel(35, 86)), FormMain::BackColour);
}

TEST_F(BeatDisplayTest, BallRestsOnTheFloorBeforeTheFirstMainBeat) {
    ASSERT_EQ(form->SwingLength, 0);
    form->DrawBall();
    EXPECT_EQ(BallTop(form->picBall.Picture()), 75);

    // A rhythm that begins with subdivisions, played in ball mode: the loop draws the ball at rest
    // until the first main beat.
    form->Metron->Track().Rhithm("4 ''xx");
    form->ShowDisplayMode(1);
    SwitchOn();
    Passes(600);
    EXPECT_EQ(form->SwingLength, 0);
    EXPECT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(BallTop(form->picBall.Picture()), 75);
}

TEST_F(BeatDisplayTest, LoopDrawsTheBallOnEveryFifthPassOnlyInBallModeWhileOn) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    // Pendulum mode: the ball box is never drawn.
    Passes(100);
    EXPECT_FALSE(AnythingDrawn(form->picBall.Picture()));

    // Ball mode with the engine off: never drawn either.
    form->Metron->Enable(false);
    form->ShowDisplayMode(1);
    Passes(100);
    EXPECT_FALSE(AnythingDrawn(form->picBall.Picture()));

    // The engine on: drawn on one pass in five.
    SwitchOn();
    std::vector<int> drawnOn;
    for (int pass = 0; pass < 20; ++pass) {
        form->picBall.Clear();
        Passes(1);
        if (AnythingDrawn(form->picBall.Picture())) {
            drawnOn.push_back(pass);
        }
    }
    ASSERT_EQ(drawnOn.size(), 4u);
    for (std::size_t i = 1; i < drawnOn.size(); ++i) {
        EXPECT_EQ(drawnOn[i] - drawnOn[i - 1], 5);
    }
}

TEST_F(BeatDisplayTest, AVeryLongSwingTakesTheBallOutOfTheBoxAndBack) {
    form->Metron->Track().Rhithm("1 xx");
    form->Metron->BPM(15);
    form->ShowDisplayMode(1);
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    ASSERT_EQ(form->SwingLength, 16000);
    const int32_t beat = form->SwingStartTick;
    ticks.now = beat + 8000;
    form->DrawBall();
    // 400 pixels up: nothing of the ball is left in the box.
    EXPECT_EQ(BallTop(form->picBall.Picture()), -1);
    ticks.now = beat + 16000;
    form->DrawBall();
    EXPECT_EQ(BallTop(form->picBall.Picture()), 75);
}

} // namespace
