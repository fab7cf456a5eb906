#include "FormFixture.h"
#include "VirtualKey.h"
#include "fakes/TempFolder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QTimer>
#include <stdexcept>

namespace {

using MainLoopTest = FormFixture;

void PostClose(FormMain& form) {
    QMetaObject::invokeMethod(
        &form, [&form] { form.close(); }, Qt::QueuedConnection);
}

TEST_F(MainLoopTest, RunsPassesOfOneMillisecondUntilTheWindowCloses) {
    SwitchOn();
    ticks.onSleep = [&](int pass) {
        if (pass == 2000) {
            PostClose(*form);
        }
    };
    form->Form_Activate();
    // The close was delivered in pass 2001, whose sleep was the last: no Pulse after it.
    EXPECT_EQ(ticks.sleeps, 2001);
    EXPECT_FALSE(form->Running);
    EXPECT_FALSE(form->LoopRunning());
    EXPECT_EQ(form->Metron, nullptr);
    EXPECT_TRUE(MicrophoneMuted());
    // Two seconds of the default rhythm at 120: beats at 0, 500 … 2000 ms.
    EXPECT_EQ(sound.requests.size(), 5u);
}

TEST_F(MainLoopTest, StopsTheBeatAtOnceWhenClosedWhilePlaying) {
    SwitchOn();
    size_t requestsAtClose = 0;
    ticks.onSleep = [&](int pass) {
        if (pass == 1700) {
            PostClose(*form);
        }
        if (pass == 1701) {
            requestsAtClose = sound.requests.size();
        }
    };
    form->Form_Activate();
    EXPECT_EQ(ticks.sleeps, 1701);
    EXPECT_EQ(sound.requests.size(), requestsAtClose);
    // The loop returned; nothing drives the engine any more.
    const int32_t tick = ticks.now;
    ticks.now += 5000;
    form->RunLoopPass();
    EXPECT_EQ(ticks.now, tick + 5000);
}

TEST_F(MainLoopTest, ALaterActivationDoesNotStartASecondLoop) {
    SwitchOn();
    int nestedSleeps = -1;
    ticks.onSleep = [&](int pass) {
        if (pass == 300) {
            const int before = ticks.sleeps;
            form->Form_Activate();
            nestedSleeps = ticks.sleeps - before;
        }
        if (pass == 1000) {
            PostClose(*form);
        }
    };
    form->Form_Activate();
    EXPECT_EQ(nestedSleeps, 0);
    EXPECT_EQ(ticks.sleeps, 1001);
    // The beat went on evenly through the second activation.
    ASSERT_EQ(sound.requests.size(), 3u);
    EXPECT_DOUBLE_EQ(sound.requests[1].dueTick - sound.requests[0].dueTick, 500);
    EXPECT_DOUBLE_EQ(sound.requests[2].dueTick - sound.requests[1].dueTick, 500);
}

TEST_F(MainLoopTest, TheFirstActivationOfTheShownWindowStartsTheLoop) {
    ticks.onSleep = [&](int pass) {
        if (pass == 50) {
            // A second activation while the loop runs changes nothing.
            form->activateWindow();
        }
        if (pass == 100) {
            PostClose(*form);
        }
    };
    form->show();
    for (int i = 0; i < 1000 && form->Running; ++i) {
        QApplication::processEvents();
    }
    EXPECT_FALSE(form->Running);
    EXPECT_EQ(ticks.sleeps, 101);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MainLoopTest, ACloseRequestWaitsForTheCommandInProgressToReturnToTheLoop) {
    SwitchOn();
    bool engineAliveAfterDialog = false;
    ticks.onSleep = [&](int pass) {
        if (pass != 10) {
            return;
        }
        // A command opens a modal dialog; a termination request arrives while it is open.
        QTimer::singleShot(0, form.get(), [&] { form->RequestClose(FormMain::BySystem); });
        QMessageBox box(QMessageBox::Information, "Pulsara", "modal", QMessageBox::Ok, form.get());
        box.exec();
        engineAliveAfterDialog = form->Metron != nullptr;
    };
    form->Form_Activate();
    EXPECT_TRUE(engineAliveAfterDialog);
    EXPECT_EQ(ticks.sleeps, 11);
    EXPECT_EQ(form->Metron, nullptr);
    EXPECT_TRUE(MicrophoneMuted());
}

TEST_F(MainLoopTest, AnEndRequestedByTheSystemStopsAnExportAndCloses) {
    const TempFolder folder;
    dialogs.answers = {(folder / "take.wav").string()};
    // A million steps: the export would take seconds.
    form->Metron->Track().Rhithm("4 (((.)99)99)99 xx");
    ticks.onSleep = [&](int pass) {
        if (pass == 5) {
            QTimer::singleShot(0, form.get(), [&] { form->RequestClose(FormMain::BySystem); });
            form->Form_KeyDown(VirtualKey::F11, 0);
        }
    };
    form->Form_Activate();
    EXPECT_EQ(form->Metron, nullptr);
    EXPECT_FALSE(std::filesystem::exists(folder / "take.wav"));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainLoopTest, ACloseRequestDuringAnExportIsRefused) {
    ticks.onSleep = [&](int pass) {
        if (pass == 5) {
            form->ExportBusy = true;
            PostClose(*form);
        }
        if (pass == 20) {
            form->ExportBusy = false;
            PostClose(*form);
        }
    };
    form->Form_Activate();
    EXPECT_EQ(ticks.sleeps, 21);
    EXPECT_FALSE(form->Running);
}

// A sound output that fails on its third request.
class FailingSound final : public SoundOutput {
public:
    void PlaySample(std::string_view, double) override {
        if (++requests == 3) {
            throw std::runtime_error("the sound device went away");
        }
    }
    int requests = 0;
};

TEST_F(MainLoopTest, AFaultInThePassEndsTheProgramAsACloseWould) {
    FailingSound failing;
    PlatformServices failingServices{ticks, failing, settings, mixer, dialogs};
    form.reset();
    form = std::make_unique<FormMain>(failingServices, values);
    SwitchOn();
    form->Form_Activate();
    EXPECT_EQ(failing.requests, 3);
    EXPECT_FALSE(form->Running);
    EXPECT_FALSE(form->LoopRunning());
    EXPECT_EQ(form->Metron, nullptr);
    EXPECT_TRUE(MicrophoneMuted());
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "1");
    form.reset();
}

TEST_F(MainLoopTest, RequestCloseOutsideTheLoopClosesAtOnce) {
    ticks.now += 4000;
    form->RequestClose(FormMain::BySessionEnd);
    EXPECT_FALSE(form->Running);
    EXPECT_TRUE(MicrophoneMuted());
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "4");
}

TEST_F(MainLoopTest, SpaceSwitchesTheBeatOnAndOff) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(form.get(), &press);
    EXPECT_TRUE(form->Metron->Enable());
    QApplication::sendEvent(form.get(), &press);
    EXPECT_FALSE(form->Metron->Enable());
    form->ExportBusy = true;
    QApplication::sendEvent(form.get(), &press);
    EXPECT_FALSE(form->Metron->Enable());
}

} // namespace
