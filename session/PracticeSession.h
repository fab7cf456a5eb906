#pragma once

#include "CClock.h"
#include "CMetronome.h"
#include "CMetronomeEvents.h"
#include "CommandFeedback.h"
#include "KeyTable.h"
#include "MixerClockCommands.h"
#include "MixerPresets.h"
#include "PlatformServices.h"
#include "RhythmCommands.h"
#include "SessionDialogs.h"
#include "SessionView.h"
#include "Surface.h"
#include "TapTempo.h"
#include "TempoMemoryCommands.h"
#include "TempoMemoryState.h"
#include "WaveExportCommand.h"
#include "cVolume.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// One run of practice without a window: the beat engine, the practice clock and the mixer object,
// the key commands run from the key table with their quick-repeat counting, and the rules of
// closing and of a fault. Whatever only a window can do is asked of the SessionView and the
// SessionDialogs.
class PracticeSession {
public:
    // Key repeat detection; it also carries the pendulum's swing counter.
    struct KeyStateRecord {
        int32_t SavedTempo = 0;
        int32_t LastKey = 0;
        int32_t PressCount = 0;
        // Milliseconds of the wall clock.
        int64_t LastKeyTime = 0;
        std::string SavedRhythm;
        std::string RecalledRhythm;
        int32_t SwingCount = 0;
    };

    // Quick repeats of one key come within this many milliseconds of each other.
    static constexpr int64_t RepeatInterval = 800;

    PracticeSession(PlatformServices& services, TempoMemoryState& values, SessionView& view,
                    SessionDialogs& windows, Surface& clockFace);
    ~PracticeSession();
    PracticeSession(const PracticeSession&) = delete;
    PracticeSession& operator=(const PracticeSession&) = delete;

    // Connects the engine's events and gives it its start values: no pause, tempo 120, the default
    // rhythm, switched off.
    void Start(CMetronomeEvents& events);

    // A key-down with its key code and modifier mask: counts quick repeats of one key and runs the
    // key's command. Nothing runs while an export does or after the end.
    void KeyDown(int32_t KeyCode, int32_t Shift);
    // What a menu entry runs: the key pressed as often as its gesture asks, each press a quick
    // repeat of the one before and the first a first press.
    void PressKey(int32_t KeyCode, int32_t Presses);
    // A tap on the tempo digits.
    void Tap();
    // Undoes the last store or reset, as a click on its notice or the menu's entry asks.
    void Undo();
    // Runs a command that is not a key's (a tap, a confirmed dialog, an undo), as a key's runs.
    void Command(const std::function<void()>& command);
    // Counts a command for as long as it runs. The beat waits meanwhile and goes on from whatever
    // the command wrote to the engine; a close asked for meanwhile follows from the event loop.
    void RunCommand(const std::function<void()>& command);
    // Runs work; a fault that escapes it ends the session and closes the window, since nothing can
    // be trusted to go on after a fault in the middle of a step.
    void Guarded(const std::function<void()>& work);

    // Keys, menu entries and closing are turned away while this is false.
    bool TakesCommands() const { return !ExportBusy() && Metron != nullptr; }
    // True only while a wave export runs; the engine holds the one mark of it.
    bool ExportBusy() const { return Metron && Metron->Exporting(); }
    static int32_t TempoPlus(int32_t prT);
    // A tap recalls the mixer preset Name, a quick repeat stores the levels from before the tap.
    void SetMixer(bool DoubleKey, std::string_view Name);

    // The beat's turn: the engine lays ahead what falls due. False while a command runs, which
    // lays it ahead itself when it returns.
    bool Pulse();
    bool BeatOn() const { return Metron && Metron->Enable(); }
    // When the beat next needs a turn, in frames; nothing while it is off.
    std::optional<int64_t> NextWakeFrame() const;

    // Closes the window as the close box does, for the given reason. While a command runs the
    // close waits until it has returned, and a modal dialog still open is dismissed first, so that
    // no command finds its objects released under it. An end the user did not ask for cancels an
    // export, however long it would take.
    void RequestClose(UnloadMode mode);
    // Whether a close for this reason may go ahead: never while an export holds the engine and the
    // open file, nor while notes that cannot be saved are open and the player can be asked.
    bool QueryUnload(UnloadMode mode);
    // Puts the microphone's mute back as found, stores the practice time, and releases the
    // commands, the engine, the clock and the mixer. Once; later calls do nothing.
    void End();
    bool Ended() const { return !Metron && !Clock && !Volume; }
    SessionView& View() { return view; }
    SessionDialogs& Windows() { return windows; }
    // The sound output lost its way to the speaker (true) or has it back (false): told in a notice
    // and on the terminal, while the beat and the display go on.
    void SoundLost(bool lost);

    std::unique_ptr<CMetronome> Metron;
    std::unique_ptr<CClock> Clock;
    std::unique_ptr<cVolume> Volume;
    bool Running = false;
    KeyStateRecord KeyState;
    // The mixer presets and the larger key commands, living as long as the objects they work on.
    std::unique_ptr<MixerPresets> Presets;
    std::unique_ptr<TempoMemoryCommands> TempoKeys;
    std::unique_ptr<RhythmCommands> RhythmKeys;
    std::unique_ptr<WaveExportCommand> WaveExport;
    std::unique_ptr<MixerClockCommands> MixerClockKeys;
    // What the commands tell the player, and the undo of the last store or reset.
    std::unique_ptr<CommandFeedback> Feedback;
    // Carries the rhythm into and out of the rhythm entry dialog.
    std::string RhythmEntryText;

private:
    void CreateKeyCommands();
    void Run(const KeyBinding& key, bool DoubleKey);
    void ClosePending();
    class CommandScope;

    PlatformServices& services;
    TempoMemoryState& values;
    SessionView& view;
    SessionDialogs& windows;
    // The microphone's mute as the session found it, put back at the end.
    bool micMutedAtStart = false;
    TapTempo taps;
    int commandDepth = 0;
    std::optional<UnloadMode> pendingClose;
};
