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
    void Remove(std::string_view section, std::string_view key) override {
        journal.push_back("Remove " + std::string(section) + "/" + std::string(key));
        store.Remove(section, key);
    }
    std::optional<std::string> Find(std::string_view section, std::string_view key) override {
        return store.Find(section, key);
    }

    std::vector<std::string>& journal;
    MemorySettingsStore store;
};

// The main window with fake platform services, as the program would build it.
class FormFixture : public ::testing::Test {
protected:
    FormFixture();

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
    JournalSettings settings{mixer.calls};
    ScriptedDialogs dialogs;
    TempoMemoryState values;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    std::unique_ptr<FormMain> form;
};
