#include "FormFixture.h"

#include "Rounding.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <iterator>

FormFixture::FormFixture() {
    mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 30000);
    // The microphone comes muted from the last run.
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
}

void FormFixture::SetUp() {
    form = std::make_unique<FormMain>(services, values);
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
    const auto nextWithin = [&] {
        const TickTimer* timers[] = {&form->BeatTimer(), &form->Display.ShowTimer()};
        return std::any_of(std::begin(timers), std::end(timers), [&](const TickTimer* timer) {
            return timer->Armed() && TickTimer::Until(timer->Target(), end) <= 0;
        });
    };
    while (nextWithin() && WakeNext()) {
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

std::string FormFixture::MicMuteWrite(int value) const {
    const auto* control =
        const_cast<FakeMixerDevice&>(mixer).Find(MixerLineType::Microphone, MixerControlType::Mute);
    return "Set " + std::to_string(control->description.controlId) + " " + std::to_string(value);
}

int FormFixture::BallTop(const QImage& picture) {
    for (int y = 0; y < 84; ++y) {
        if (QColor(picture.pixel(15, y)) != FormMain::BackColour) {
            return y;
        }
    }
    return -1;
}

bool FormFixture::AnythingDrawn(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (QColor(picture.pixel(x, y)) != FormMain::BackColour) {
                return true;
            }
        }
    }
    return false;
}
