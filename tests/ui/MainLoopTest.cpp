#include "FormFixture.h"
#include "VirtualKey.h"
#include "WindowFonts.h"

#include <QApplication>
#include <QTimer>

namespace {

class MainLoopTest : public FormFixture {
protected:
    // Samples start 40 ms after they are laid at the earliest.
    void SetUp() override {
        sound.lead = 1764;
        FormFixture::SetUp();
    }
};

// The beat is laid ahead; what a step changes on screen shows as it is heard (the 4 ms the screen
// takes before), and a stop leaves the window as the last step heard left it.
TEST_F(MainLoopTest, AStepShowsWhenItIsHeard) {
    const QPoint rest = form->Display.LineMetr.P2;
    SwitchOn();
    EXPECT_EQ(sound.requests.size(), 1u);
    EXPECT_EQ(form->Loop().Timer().Target(), 1040 * 441 / 10 - 176);
    ticks.now = 1035;
    form->Loop().BeatDue();
    EXPECT_TRUE(form->Labels.lbTime.text().isEmpty());
    EXPECT_EQ(form->Display.LineMetr.P2, rest);
    ticks.now = 1036;
    form->Loop().BeatDue();
    EXPECT_EQ(form->Display.lbRhithm.text().at(7), 'x');
    const QPoint swung = form->Display.LineMetr.P2;
    EXPECT_NE(swung, rest);
    EXPECT_EQ(form->Labels.lbTime.text(), "0 : 00");
    EXPECT_EQ(form->Display.SwingStartTick, 1036);
    // Switched off before the next beat is heard: it is withdrawn and never shows.
    Run(260);
    ASSERT_EQ(sound.requests.size(), 2u);
    form->Session->Metron->Enable(false);
    EXPECT_EQ(sound.requests.size(), 1u);
    EXPECT_FALSE(form->Loop().Timer().Armed());
    Run(1000);
    EXPECT_EQ(form->Display.LineMetr.P2, swung);
    EXPECT_EQ(form->Session->KeyState.SwingCount, 1);
}

// The tempo digits show a tempo step of the rhythm and the accelerando's tempo when the step is
// heard, and keep them after a stop; the pendulum goes on from the side the last beat left it.
TEST_F(MainLoopTest, TheDigitsShowTheTempoOfTheStepHeardAndAStopKeepsThem) {
    form->Session->Metron->Track().Rhithm("4 x+20x (x)0");
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Labels.lbBPM.text(), "120");
    ticks.now += 499;
    form->Loop().BeatDue();
    EXPECT_EQ(form->Labels.lbBPM.text(), "120") << "the tempo step is laid, not heard";
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->Labels.lbBPM.text(), "144");
    const QPoint left = form->Display.LineMetr.P2;
    Run(300);
    form->Session->Metron->Enable(false);
    EXPECT_EQ(form->Labels.lbBPM.text(), "144");
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_NE(form->Display.LineMetr.P2, left) << "the first beat after the restart swings";

    form->Session->Metron->AccelerandoBegin(50.0);
    EXPECT_FALSE(form->Labels.lbAcel.isHidden());
    // The word grows with the rate: the square root of twice 50, and 8, points.
    EXPECT_EQ(form->Labels.lbAcel.font().pixelSize(), WindowFonts::PointsToPixels(18));
    Run(2000);
    ASSERT_TRUE(NextBeat());
    const int shown = form->Labels.lbBPM.text().toInt();
    EXPECT_GT(shown, 144 + 5);
    EXPECT_EQ(shown, form->Session->Metron->BPM());
    // The swing lasts as long as the step the engine laid, not as the whole-number digits say.
    form->Session->Metron->BPM(100);
    form->Session->Metron->AccelerandoBegin(6.0);
    ASSERT_TRUE(NextBeat());
    for (int beat = 0; beat < 8; ++beat) {
        const int64_t start = form->Display.SwingStartTick;
        const int32_t length = form->Display.SwingLength;
        ASSERT_TRUE(NextBeat());
        EXPECT_NEAR(form->Display.SwingStartTick - start, length, 1) << beat;
    }
    form->Session->Metron->DisableAccelerando();
    EXPECT_TRUE(form->Labels.lbAcel.isHidden());
}

TEST_F(MainLoopTest, ThePauseLabelsShowTheCycle) {
    EXPECT_TRUE(form->Labels.lbPause.isHidden());
    form->Session->Metron->Pause(true);
    EXPECT_FALSE(form->Labels.lbPause.isHidden());
    EXPECT_FALSE(form->Labels.lbPau1.isHidden());
    EXPECT_FALSE(form->Labels.lbPau2.isHidden());
    form->Session->Metron->PauseSec(5);
    EXPECT_EQ(form->Labels.lbPause.text(), "5");
    form->Session->Metron->Pause(false);
    EXPECT_TRUE(form->Labels.lbPau1.isHidden());
}

TEST_F(MainLoopTest, ACloseRequestWaitsForTheCommandInProgressToReturn) {
    // A command opens a modal dialog; a termination request arrives while it is open.
    QTimer::singleShot(0, form.get(), [&] { form->Session->RequestClose(BySystem); });
    Key(VirtualKey::F4);
    EXPECT_NE(form->Session->Metron, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(form->Session->Metron, nullptr);
}

} // namespace
