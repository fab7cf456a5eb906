#include "FormFixture.h"
#include "VirtualKey.h"

#include <QApplication>
#include <QTimer>
#include <optional>
#include <stdexcept>

namespace {

// A sound output that fails on its request number failAt.
class FailingSound final : public SoundOutput {
public:
    explicit FailingSound(int failAt)
        : failAt(failAt) {}
    void PlaySample(std::string_view, int64_t) override {
        if (++requests == failAt) {
            throw std::runtime_error("the sound device went away");
        }
    }
    int failAt;
    int requests = 0;
};

class MainLoopTest : public FormFixture {
protected:
    // Samples start 40 ms after they are laid at the earliest.
    void SetUp() override {
        sound.lead = 1764;
        FormFixture::SetUp();
    }
    void Use(SoundOutput& output) {
        form.reset();
        form = std::make_unique<FormMain>(other.emplace(ticks, output, settings, mixer, dialogs),
                                          values);
    }
    std::optional<PlatformServices> other;
};

// The beat is laid ahead; what a step changes on screen shows as it is heard (the 4 ms the screen
// takes before), and a stop leaves the window as the last step heard left it.
TEST_F(MainLoopTest, AStepShowsWhenItIsHeard) {
    const QPoint rest = form->Display.LineMetr.P2;
    SwitchOn();
    EXPECT_EQ(sound.requests.size(), 1u);
    EXPECT_EQ(form->BeatTimer().Target(), 1040 * 441 / 10 - 176);
    ticks.now = 1035;
    form->BeatDue();
    EXPECT_TRUE(form->lbTime.text().isEmpty());
    EXPECT_EQ(form->Display.LineMetr.P2, rest);
    ticks.now = 1036;
    form->BeatDue();
    EXPECT_EQ(form->Display.lbRhithm.text().at(7), 'x');
    const QPoint swung = form->Display.LineMetr.P2;
    EXPECT_NE(swung, rest);
    EXPECT_EQ(form->lbTime.text(), "0 : 00");
    EXPECT_EQ(form->Display.SwingStartTick, 1036);
    // Switched off before the next beat is heard: it is withdrawn and never shows.
    Run(260);
    ASSERT_EQ(sound.requests.size(), 2u);
    form->Session->Metron->Enable(false);
    EXPECT_EQ(sound.requests.size(), 1u);
    EXPECT_FALSE(form->BeatTimer().Armed());
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
    EXPECT_EQ(form->lbBPM.text(), "120");
    ticks.now += 499;
    form->BeatDue();
    EXPECT_EQ(form->lbBPM.text(), "120") << "the tempo step is laid, not heard";
    ASSERT_TRUE(NextBeat());
    EXPECT_EQ(form->lbBPM.text(), "144");
    const QPoint left = form->Display.LineMetr.P2;
    Run(300);
    form->Session->Metron->Enable(false);
    EXPECT_EQ(form->lbBPM.text(), "144");
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    EXPECT_NE(form->Display.LineMetr.P2, left) << "the first beat after the restart swings";

    form->Session->Metron->AccelerandoBegin(50.0);
    EXPECT_FALSE(form->lbAcel.isHidden());
    EXPECT_EQ(form->lbAcel.font().pixelSize(), FormMain::PointsToPixels(18));
    Run(2000);
    ASSERT_TRUE(NextBeat());
    const int shown = form->lbBPM.text().toInt();
    EXPECT_GT(shown, 144 + 5);
    EXPECT_EQ(shown, form->Session->Metron->BPM());
    form->Session->Metron->DisableAccelerando();
    EXPECT_TRUE(form->lbAcel.isHidden());
}

TEST_F(MainLoopTest, ThePauseLabelsShowTheCycle) {
    EXPECT_TRUE(form->lbPause.isHidden());
    form->Session->Metron->Pause(true);
    EXPECT_FALSE(form->lbPause.isHidden());
    EXPECT_FALSE(form->lbPau1.isHidden());
    EXPECT_FALSE(form->lbPau2.isHidden());
    form->Session->Metron->PauseSec(5);
    EXPECT_EQ(form->lbPause.text(), "5");
    form->Session->Metron->Pause(false);
    EXPECT_TRUE(form->lbPau1.isHidden());
}

TEST_F(MainLoopTest, ACloseRequestWaitsForTheCommandInProgressToReturn) {
    // A command opens a modal dialog; a termination request arrives while it is open.
    QTimer::singleShot(0, form.get(), [&] { form->RequestClose(FormMain::BySystem); });
    form->Form_KeyDown(VirtualKey::F4, 0);
    EXPECT_NE(form->Session->Metron, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(form->Session->Metron, nullptr);
}

TEST_F(MainLoopTest, AFaultInTheEngineEndsTheProgramAsACloseWould) {
    FailingSound failing(3);
    Use(failing);
    SwitchOn();
    Run(2000);
    EXPECT_EQ(failing.requests, 3);
    EXPECT_FALSE(form->Session->Running);
    // What a close does is tested with the close box; this one stored the time.
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1");
    form.reset();
}

} // namespace
