#include "FormFixture.h"
#include "VirtualKey.h"

#include <QApplication>
#include <QTimer>
#include <optional>
#include <stdexcept>

namespace {

// A sound output whose samples are heard 40 ms after their due tick, and that fails on its
// request number failAt.
class LateSound final : public SoundOutput {
public:
    explicit LateSound(int failAt = 0)
        : failAt(failAt) {}
    void PlaySample(std::string_view, double) override {
        if (++requests == failAt) {
            throw std::runtime_error("the sound device went away");
        }
    }
    double PlayDelayMs() const override { return 40.0; }
    int failAt;
    int requests = 0;
};

class MainLoopTest : public FormFixture {
protected:
    void Use(SoundOutput& output) {
        form.reset();
        form = std::make_unique<FormMain>(other.emplace(ticks, output, settings, mixer, dialogs),
                                          values);
    }
    std::optional<PlatformServices> other;
};

TEST_F(MainLoopTest, AStepShowsWhenItIsHeard) {
    LateSound late;
    Use(late);
    const QPoint rest = form->Display.LineMetr.P2;
    SwitchOn();
    form->BeatDue();
    EXPECT_EQ(form->Display.ShowTimer().Target(), 1040);
    ticks.now = 1039;
    form->Display.DisplayDue();
    EXPECT_TRUE(form->lbTime.text().isEmpty());
    EXPECT_EQ(form->Display.LineMetr.P2, rest);
    ticks.now = 1040;
    form->Display.DisplayDue();
    EXPECT_EQ(form->Display.lbRhithm.text().at(7), 'x');
    const QPoint swung = form->Display.LineMetr.P2;
    EXPECT_NE(swung, rest);
    EXPECT_EQ(form->lbTime.text(), "0 : 00");
    // The ball leaves the floor when the click is heard.
    EXPECT_EQ(form->Display.SwingStartTick, 1040);
    // Switched off before the next beat is heard: it never shows.
    ticks.now = 1500;
    form->BeatDue();
    form->Metron->Enable(false);
    EXPECT_FALSE(form->Display.ShowTimer().Armed());
    EXPECT_EQ(form->Display.LineMetr.P2, swung);
    form.reset();
}

TEST_F(MainLoopTest, ACloseRequestWaitsForTheCommandInProgressToReturn) {
    // A command opens a modal dialog; a termination request arrives while it is open.
    QTimer::singleShot(0, form.get(), [&] { form->RequestClose(FormMain::BySystem); });
    form->Form_KeyDown(VirtualKey::F4, 0);
    EXPECT_NE(form->Metron, nullptr);
    QApplication::processEvents();
    EXPECT_EQ(form->Metron, nullptr);
}

TEST_F(MainLoopTest, AFaultInTheEngineEndsTheProgramAsACloseWould) {
    LateSound failing(3);
    Use(failing);
    SwitchOn();
    Run(2000);
    EXPECT_EQ(failing.requests, 3);
    EXPECT_FALSE(form->Running);
    // What a close does is tested with the close box; this one stored the time.
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1");
    form.reset();
}

} // namespace
