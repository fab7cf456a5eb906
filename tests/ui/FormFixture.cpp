#include "FormFixture.h"

#include <algorithm>
#include <cmath>

void FormFixture::FreshDevices() {
    mixer = FakeMixerDevice{};
    mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 30000);
    mixer.AddControl(MixerLineType::Wave, MixerControlType::Volume, 0, 65535, 20000);
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Volume, 0, 65535, 10000);
    // The microphone comes muted from the last run.
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
    settings.values.clear();
    values = TempoMemoryState{};
    dialogs = ScriptedDialogs{};
}

bool FormFixture::WakeNext() {
    const FrameTimer& beat = form->Loop().Timer();
    if (!beat.Armed()) {
        return false;
    }
    const auto due = static_cast<int64_t>(std::ceil(static_cast<double>(beat.Target()) / 44.1));
    ticks.now = std::max(ticks.now, due);
    form->Loop().BeatDue();
    return true;
}

void FormFixture::Run(int64_t milliseconds) {
    const int64_t end = ticks.now + milliseconds;
    while (form->Loop().Timer().Armed() && form->Loop().Timer().Target() <= end * 441 / 10 &&
           WakeNext()) {
    }
    ticks.now = end;
}

bool FormFixture::NextBeat() {
    const int64_t before = form->Display.SwingStartTick;
    const int32_t beatsBefore = form->Session->KeyState.SwingCount;
    const int64_t start = ticks.now;
    while (ticks.now - start < 60000 && WakeNext()) {
        if (form->Display.SwingStartTick != before ||
            form->Session->KeyState.SwingCount != beatsBefore) {
            return true;
        }
    }
    return false;
}

QAction* FormFixture::MenuEntry(const QString& text) {
    for (QAction* action : form->Commands().Menu().findChildren<QAction*>()) {
        if (action->text() == text && action->isVisible()) {
            return action;
        }
    }
    return nullptr;
}
