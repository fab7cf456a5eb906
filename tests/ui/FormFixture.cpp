#include "FormFixture.h"

#include <QColor>

FormFixture::FormFixture() {
    mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 30000);
    // The microphone comes muted from the last run.
    mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
}

void FormFixture::SetUp() {
    form = std::make_unique<FormMain>(services, values);
}

void FormFixture::Passes(int count) {
    for (int i = 0; i < count; ++i) {
        form->RunLoopPass();
    }
}

bool FormFixture::NextBeat() {
    const int32_t before = form->SwingStartTick;
    const int32_t beatsBefore = form->KeyState.SwingCount;
    for (int i = 0; i < 60000; ++i) {
        form->RunLoopPass();
        if (form->SwingStartTick != before || form->KeyState.SwingCount != beatsBefore) {
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
