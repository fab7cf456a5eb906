#pragma once

#include "Dialogs.h"
#include "MixerDevice.h"
#include "SettingsStore.h"
#include "SoundOutput.h"
#include "TickSource.h"

// Everything of the outside world that the main window and the objects it owns reach: the
// program hands in the real devices, a test hands in fakes. All of them outlive the window.
struct PlatformServices {
    TickSource& Ticks;
    SoundOutput& Sound;
    SettingsStore& Settings;
    MixerDevice& Mixer;
    Dialogs& MessageDialogs;
};
