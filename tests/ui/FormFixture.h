#pragma once

#include "FormMain.h"
#include "PlatformServices.h"
#include "TempoMemoryState.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/ScriptedDialogs.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A tick source for the main loop under test: Sleep moves the clock instead of waiting, counts the
// passes, and lets a test act in the middle of a given pass.
class LoopTicks final : public TickSource {
public:
    int32_t GetTickCount() override { return now; }
    void Sleep(int32_t milliseconds) override {
        now += milliseconds;
        ++sleeps;
        if (onSleep) {
            onSleep(sleeps);
        }
    }

    int32_t now = 1000;
    int sleeps = 0;
    std::function<void(int pass)> onSleep;
};

// Settings that log their writes into the mixer's journal, so that a test sees the order of what
// the window asks of both.
class JournalSettings final : public SettingsStore {
public:
    explicit JournalSettings(std::vector<std::string>& journal)
        : journal(journal) {}
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) override {
        return store.Read(section, key, defaultValue);
    }
    void Write(std::string_view section, std::string_view key, std::string_view value) override {
        journal.push_back("Write " + std::string(section) + "/" + std::string(key) + "=" +
                          std::string(value));
        store.Write(section, key, value);
    }

    std::vector<std::string>& journal;
    MemorySettingsStore store;
};

// The main window with fake platform services, as the program would build it.
class FormFixture : public ::testing::Test {
protected:
    FormFixture();

    void SetUp() override;

    // Loop passes, each 1 ms of the manual clock.
    void Passes(int count);
    // Runs passes until the next main beat has been handled; false if none came within a minute.
    bool NextBeat();
    void SwitchOn() { form->Metron->Enable(true); }

    bool MicrophoneMuted() {
        return mixer.Value(MixerLineType::Microphone, MixerControlType::Mute) == 1;
    }
    std::string MicMuteWrite(int value) const;

    // The topmost row of the ball in the ball box, -1 when nothing is drawn above the floor.
    static int BallTop(const QImage& picture);
    // Whether anything but the background shows in a picture.
    static bool AnythingDrawn(const QImage& picture);

    LoopTicks ticks;
    RecordingSoundOutput sound;
    FakeMixerDevice mixer;
    JournalSettings settings{mixer.calls};
    ScriptedDialogs dialogs;
    TempoMemoryState values;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    std::unique_ptr<FormMain> form;
};
