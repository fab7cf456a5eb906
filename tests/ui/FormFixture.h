#pragma once

#include "FormMain.h"
#include "PlatformServices.h"
#include "TempoMemoryState.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/ScriptedDialogs.h"

#include <QAction>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// The main window with fake platform services, as the program would build it.
class FormFixture : public ::testing::Test {
protected:
    FormFixture() { FreshDevices(); }
    // The mixer, the settings, the tempo memory and the dialogs as a first run finds them.
    void FreshDevices();

    void SetUp() override { form = std::make_unique<FormMain>(services, values); }

    // One key event, then the clock moves on by gap milliseconds.
    void Key(int32_t code, int32_t gap = 100) {
        form->Form_KeyDown(code, 0);
        ticks.now += gap;
    }
    // The entry of that text that the window's menu offers now; null when it offers none.
    QAction* MenuEntry(const QString& text);

    // Moves the clock to the window's beat timer and fires it, as the event loop would; false when
    // it is not armed.
    bool WakeNext();
    // Moves the clock on by milliseconds, firing the beat timer whenever it falls due on the way.
    void Run(int64_t milliseconds);
    // Runs until the next main beat shows; false if none came within a minute.
    bool NextBeat();
    void SwitchOn() { form->Session->Metron->Enable(true); }
    bool MicrophoneMuted() {
        return mixer.Value(MixerLineType::Microphone, MixerControlType::Mute) == 1;
    }

    ManualTickSource ticks{1000};
    RecordingSoundOutput sound;
    FakeMixerDevice mixer;
    MemorySettingsStore settings;
    ScriptedDialogs dialogs;
    TempoMemoryState values;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    std::unique_ptr<FormMain> form;
};
