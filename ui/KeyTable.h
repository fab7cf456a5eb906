#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// What a key of the main window does. The practice session runs the command; the table below only
// says which key, modifiers and repeat count choose it.
enum class KeyCommand {
    None,               // the key is left to the window system
    StartStop,          // start or stop the beat
    SetTempo,           // Argument: the base tempo, raised by the repeat's offset
    StepTempo,          // Argument: beats per minute added to the tempo
    PauseSwitch,        // the play/pause cycle on or off
    StepPause,          // Argument: seconds added to the silent part of the cycle
    AccelerandoOff,     //
    AccelerandoGentler, // start a gentle accelerando, or make a running one gentler
    AccelerandoSteeper, // start a steep accelerando, or make a running one steeper
    StepVolume,         // Argument: the mixer step, signed
    StepWave,           // Argument: the mixer step, signed
    StepMic,            // Argument: the mixer step, signed
    MicMute,            // toggle the microphone's mute
    MixerPreset,        // Argument: the preset's name, one character
    TempoSlot,          // Argument: the tempo memory slot, 0 ... 8
    NextTempoSlot,      //
    TempoGrowth,        //
    WarmUpRamp,         // acts on a repeat only
    DefaultRhythm,      // a repeat recalls the last rhythm read from a file
    RhythmPreset,       // Argument: the key code
    RhythmSlot,         // Argument: the key code
    SaveRhythm,         //
    OpenRhythm,         //
    EditRhythm,         //
    ExportWave,         //
    ResetClock,         // acts on a repeat only
    FreezeClock,        //
    Help,               //
    NoteBook,           //
    DisplayMode,        // pendulum or ball
    DisplayAndTempoList // pendulum or ball, and the tempo list window
};

// Where the menu of all commands files a command.
enum class CommandGroup { Beat, Tempo, Rhythm, Mixer, Tools, Help };

// One row of the key map: a key with its modifier mask and repeat count, and its command, with
// the texts under which a menu offers it.
struct KeyBinding {
    int32_t KeyCode;
    int32_t Modifiers; // KeyTable::AnyModifiers or exactly this mask
    int32_t Presses;   // KeyTable::AnyPresses or exactly this repeat count
    KeyCommand Command;
    int32_t Argument;
    std::string_view Label;
    std::string_view KeyLabel;
};

// The main window's key map as data: every key that has a command, in the order of the keyboard's
// rows. The first row that matches a key event decides.
class KeyTable {
public:
    static constexpr int32_t AnyModifiers = -1;
    static constexpr int32_t AnyPresses = 0;

    static std::span<const KeyBinding> Entries();
    // The row for a key event; null for a key without a command.
    static const KeyBinding* Find(int32_t KeyCode, int32_t Shift, int32_t PressCount);
    static CommandGroup GroupOf(KeyCommand command);
};
