#pragma once

#include "PracticeSession.h"
#include "VirtualKey.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/RecordingSurface.h"
#include "fakes/ScriptedDialogs.h"

#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// A view and its dialogs that write down what the session asks of them. The rhythm entry dialog
// takes the next of entryAnswers each round; none left is its close box.
class RecordingView final : public SessionView, public SessionDialogs {
public:
    void BeatChanged() override { ++commands; }
    void Later(std::function<void()> work) override { later.push_back(std::move(work)); }
    void Close(UnloadMode mode) override { asked += "close " + std::to_string(mode) + ";"; }
    void DismissDialogs() override { asked += "dismiss;"; }
    void SessionEnding() override { asked += "ending;"; }
    bool CloseNoteBook(bool canWait) override { return !canWait || !notesUnsaved; }
    void ShowHelp() override { asked += "help;"; }
    void ShowNoteBook() override { asked += "notebook;"; }
    void ToggleDisplayMode() override { asked += "display;"; }
    void ShowListTmps() override { asked += "list;"; }
    void ShowTempoGrowth() override { asked += "growth;"; }
    bool ShowRhythmEntry(std::string& text) override {
        asked += "entry " + text + ";";
        shownEntryTexts.push_back(text);
        if (entryAnswers.empty()) {
            return false;
        }
        text = entryAnswers.front();
        entryAnswers.pop_front();
        return true;
    }
    void ShowExportNotice(bool visible) override { asked += visible ? "export;" : "done;"; }
    void DeliverDuringExport() override {
        if (duringExport) {
            duringExport();
        }
    }

    std::string asked;
    int commands = 0;
    std::deque<std::string> entryAnswers;
    std::vector<std::string> shownEntryTexts;
    bool notesUnsaved = false;
    std::function<void()> duringExport;
    std::vector<std::function<void()>> later;
};

// A practice session with fakes for every device, made in SetUp so that a fixture can seed the
// settings and the mixer first. The mixer has the three levels and a microphone that comes muted
// from the last run.
class SessionFixture : public ::testing::Test {
protected:
    SessionFixture() {
        mixer.AddControl(MixerLineType::Master, MixerControlType::Volume, 0, 65535, 65535);
        mixer.AddControl(MixerLineType::Wave, MixerControlType::Volume, 0, 65535, 32768);
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Volume, 0, 65535, 0);
        mixer.AddControl(MixerLineType::Microphone, MixerControlType::Mute, 0, 1, 1);
    }
    void SetUp() override { Create(services); }
    // Makes the session anew, as the program's start does.
    void Create(PlatformServices& platform) {
        session.reset();
        session = std::make_unique<PracticeSession>(platform, values, view, view, face);
        session->Start(events);
        metron = session->Metron.get();
        feedback = session->Feedback.get();
    }
    // One key event, then the clock moves on by gap milliseconds.
    void Key(int32_t code, int32_t gap = 100, int32_t shift = 0) {
        session->KeyDown(code, shift);
        ticks.now += gap;
    }
    const std::string& Rhythm() const { return metron->Track().Rhithm(); }

    ManualTickSource ticks{1000};
    RecordingSoundOutput sound;
    FakeMixerDevice mixer;
    MemorySettingsStore settings;
    ScriptedDialogs dialogs;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempoMemoryState values;
    RecordingView view;
    RecordingSurface face;
    CMetronomeEvents events;
    std::unique_ptr<PracticeSession> session;
    CMetronome* metron = nullptr;
    CommandFeedback* feedback = nullptr;
};
