#include "FormFixture.h"

#include "Rounding.h"

#include <algorithm>
#include <cmath>

FormFixture::FormFixture() {
    mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 30000);
    mixer.AddControl(MixerLineType::Wave, MixerControlType::Volume, 0, 65535, 20000);
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Volume, 0, 65535, 10000);
    // The microphone comes muted from the last run.
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
}

bool FormFixture::WakeNext() {
    const TickTimer& beat = form->BeatTimer();
    const TickTimer& show = form->Display.ShowTimer();
    if (!beat.Armed() && !show.Armed()) {
        return false;
    }
    const bool beatFirst =
        beat.Armed() && (!show.Armed() || TickTimer::Until(beat.Target(), show.Target()) <= 0);
    const double wait = TickTimer::Until(beatFirst ? beat.Target() : show.Target(), ticks.now);
    ticks.now += static_cast<int32_t>(std::max(std::ceil(wait), 0.0));
    beatFirst ? form->BeatDue() : form->Display.DisplayDue();
    return true;
}

void FormFixture::Run(int32_t milliseconds) {
    const int32_t end = ticks.now + milliseconds;
    const auto dueWithin = [&](const TickTimer& timer) {
        return timer.Armed() && TickTimer::Until(timer.Target(), end) <= 0;
    };
    while ((dueWithin(form->BeatTimer()) || dueWithin(form->Display.ShowTimer())) && WakeNext()) {
    }
    ticks.now = end;
}

bool FormFixture::NextBeat() {
    const int32_t before = form->Display.SwingStartTick;
    const int32_t beatsBefore = form->KeyState.SwingCount;
    const int32_t start = ticks.now;
    while (TicksBetween(start, ticks.now) < 60000 && WakeNext()) {
        if (form->Display.SwingStartTick != before || form->KeyState.SwingCount != beatsBefore) {
            return true;
        }
    }
    return false;
}
