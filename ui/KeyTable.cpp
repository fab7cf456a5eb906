#include "KeyTable.h"

#include "VirtualKey.h"

#include <algorithm>
#include <array>

namespace {

using C = KeyCommand;
using K = VirtualKey;
constexpr int32_t Any = KeyTable::AnyModifiers;
constexpr int32_t AnyCount = KeyTable::AnyPresses;
// One step of the mixer level keys, in the mixer's own units.
constexpr int32_t MixerStep = 4096;

// clang-format off
constexpr std::array Table{
    // The beat, and the tempo scale: the top letter row and the digits row.
    KeyBinding{K::Space, Any, AnyCount, C::StartStop, 0, "Start / stop the beat", "Space"},
    KeyBinding{'Q', Any, AnyCount, C::SetTempo, 20, "Tempo 20", "Q"},
    KeyBinding{'W', Any, AnyCount, C::SetTempo, 30, "Tempo 30", "W"},
    KeyBinding{'E', Any, AnyCount, C::SetTempo, 40, "Tempo 40", "E"},
    KeyBinding{'R', Any, AnyCount, C::SetTempo, 50, "Tempo 50", "R"},
    KeyBinding{'T', Any, AnyCount, C::SetTempo, 60, "Tempo 60", "T"},
    KeyBinding{'Y', Any, AnyCount, C::SetTempo, 70, "Tempo 70", "Y"},
    KeyBinding{'U', Any, AnyCount, C::SetTempo, 80, "Tempo 80", "U"},
    KeyBinding{'I', Any, AnyCount, C::SetTempo, 90, "Tempo 90", "I"},
    KeyBinding{K::Backquote, Any, AnyCount, C::SetTempo, 100, "Tempo 100", "`"},
    KeyBinding{'1', Any, AnyCount, C::SetTempo, 110, "Tempo 110", "1"},
    KeyBinding{'2', Any, AnyCount, C::SetTempo, 120, "Tempo 120", "2"},
    KeyBinding{'3', Any, AnyCount, C::SetTempo, 130, "Tempo 130", "3"},
    KeyBinding{'4', Any, AnyCount, C::SetTempo, 140, "Tempo 140", "4"},
    KeyBinding{'5', Any, AnyCount, C::SetTempo, 150, "Tempo 150", "5"},
    KeyBinding{'6', Any, AnyCount, C::SetTempo, 160, "Tempo 160", "6"},
    KeyBinding{'7', Any, AnyCount, C::SetTempo, 170, "Tempo 170", "7"},
    KeyBinding{'8', Any, AnyCount, C::SetTempo, 180, "Tempo 180", "8"},
    KeyBinding{'9', Any, AnyCount, C::SetTempo, 190, "Tempo 190", "9"},
    KeyBinding{'0', Any, AnyCount, C::SetTempo, 200, "Tempo 200", "0"},
    KeyBinding{K::Minus, Any, AnyCount, C::SetTempo, 210, "Tempo 210", "-"},
    KeyBinding{K::Equals, Any, AnyCount, C::SetTempo, 220, "Tempo 220", "="},
    KeyBinding{K::Backslash, Any, AnyCount, C::SetTempo, 230, "Tempo 230", "\\"},
    KeyBinding{K::Back, Any, AnyCount, C::SetTempo, 240, "Tempo 240", "Backspace"},
    KeyBinding{K::Up, Any, AnyCount, C::StepTempo, 5, "Tempo + 5", "Up"},
    KeyBinding{K::Down, Any, AnyCount, C::StepTempo, -5, "Tempo - 5", "Down"},
    KeyBinding{K::Left, Any, AnyCount, C::StepTempo, -1, "Tempo - 1", "Left"},
    KeyBinding{K::Right, Any, AnyCount, C::StepTempo, 1, "Tempo + 1", "Right"},
    // The pause cycle and the accelerando.
    KeyBinding{K::F7, Any, AnyCount, C::PauseSwitch, 0, "Pause cycle on / off", "F7"},
    KeyBinding{'O', Any, AnyCount, C::StepPause, -1, "Pause - 1 s", "O"},
    KeyBinding{'P', Any, AnyCount, C::StepPause, 1, "Pause + 1 s", "P"},
    KeyBinding{K::F8, Any, AnyCount, C::AccelerandoOff, 0, "Accelerando off", "F8"},
    KeyBinding{K::LeftBracket, Any, AnyCount, C::AccelerandoGentler, 0, "Accelerando, gentler", "["},
    KeyBinding{K::RightBracket, Any, AnyCount, C::AccelerandoSteeper, 0, "Accelerando, steeper", "]"},
    // The mixer: levels on the navigation block, presets on the bottom row.
    KeyBinding{K::Insert, Any, AnyCount, C::StepVolume, MixerStep, "Master volume up", "Insert"},
    KeyBinding{K::Delete, Any, AnyCount, C::StepVolume, -MixerStep, "Master volume down", "Delete"},
    KeyBinding{K::Home, Any, AnyCount, C::StepWave, MixerStep, "Wave volume up", "Home"},
    KeyBinding{K::End, Any, AnyCount, C::StepWave, -MixerStep, "Wave volume down", "End"},
    KeyBinding{K::Prior, Any, AnyCount, C::StepMic, MixerStep, "Microphone up", "Page Up"},
    KeyBinding{K::Next, Any, AnyCount, C::StepMic, -MixerStep, "Microphone down", "Page Down"},
    KeyBinding{K::F12, Any, AnyCount, C::MicMute, 0, "Microphone mute on / off", "F12"},
    KeyBinding{'B', Any, AnyCount, C::MixerPreset, 'B', "Mixer preset B", "B"},
    KeyBinding{'N', Any, AnyCount, C::MixerPreset, 'N', "Mixer preset N", "N"},
    KeyBinding{'M', Any, AnyCount, C::MixerPreset, 'M', "Mixer preset M", "M"},
    KeyBinding{K::Comma, Any, AnyCount, C::MixerPreset, '<', "Mixer preset <", ","},
    KeyBinding{K::Period, Any, AnyCount, C::MixerPreset, '>', "Mixer preset >", "."},
    KeyBinding{K::Slash, Any, AnyCount, C::MixerPreset, '/', "Mixer preset /", "/"},
    // The tempo memory on the numeric keypad.
    KeyBinding{K::Numpad1, Any, AnyCount, C::TempoSlot, 0, "Tempo memory 1", "Keypad 1"},
    KeyBinding{K::Numpad1 + 1, Any, AnyCount, C::TempoSlot, 1, "Tempo memory 2", "Keypad 2"},
    KeyBinding{K::Numpad1 + 2, Any, AnyCount, C::TempoSlot, 2, "Tempo memory 3", "Keypad 3"},
    KeyBinding{K::Numpad1 + 3, Any, AnyCount, C::TempoSlot, 3, "Tempo memory 4", "Keypad 4"},
    KeyBinding{K::Numpad1 + 4, Any, AnyCount, C::TempoSlot, 4, "Tempo memory 5", "Keypad 5"},
    KeyBinding{K::Numpad1 + 5, Any, AnyCount, C::TempoSlot, 5, "Tempo memory 6", "Keypad 6"},
    KeyBinding{K::Numpad1 + 6, Any, AnyCount, C::TempoSlot, 6, "Tempo memory 7", "Keypad 7"},
    KeyBinding{K::Numpad1 + 7, Any, AnyCount, C::TempoSlot, 7, "Tempo memory 8", "Keypad 8"},
    KeyBinding{K::Numpad9, Any, AnyCount, C::TempoSlot, 8, "Tempo memory 9", "Keypad 9"},
    KeyBinding{K::Add, Any, AnyCount, C::NextTempoSlot, 0, "Next tempo memory", "Keypad +"},
    KeyBinding{K::Numpad0, Any, AnyCount, C::TempoGrowth, 0, "Tempo growth...", "Keypad 0"},
    KeyBinding{K::Decimal, Any, AnyCount, C::WarmUpRamp, 0, "Warm-up tempo ramp", "Keypad . twice"},
    // The rhythms: default, presets, slots, files.
    KeyBinding{K::ShiftKey, Any, AnyCount, C::DefaultRhythm, 0, "Default rhythm", "Shift"},
    KeyBinding{'Z', Any, AnyCount, C::RhythmPreset, 'Z', "Rhythm in 8", "Z"},
    KeyBinding{'X', Any, AnyCount, C::RhythmPreset, 'X', "Rhythm in 12", "X"},
    KeyBinding{'C', Any, AnyCount, C::RhythmPreset, 'C', "Rhythm in 16", "C"},
    KeyBinding{'V', Any, AnyCount, C::RhythmPreset, 'V', "Rhythm in 24", "V"},
    KeyBinding{'A', Any, AnyCount, C::RhythmSlot, 'A', "Rhythm slot A", "A"},
    KeyBinding{'S', Any, AnyCount, C::RhythmSlot, 'S', "Rhythm slot S", "S"},
    KeyBinding{'D', Any, AnyCount, C::RhythmSlot, 'D', "Rhythm slot D", "D"},
    KeyBinding{'F', Any, AnyCount, C::RhythmSlot, 'F', "Rhythm slot F", "F"},
    KeyBinding{'G', Any, AnyCount, C::RhythmSlot, 'G', "Rhythm slot G", "G"},
    KeyBinding{'H', Any, AnyCount, C::RhythmSlot, 'H', "Rhythm slot H", "H"},
    KeyBinding{'J', Any, AnyCount, C::RhythmSlot, 'J', "Rhythm slot J", "J"},
    KeyBinding{'K', Any, AnyCount, C::RhythmSlot, 'K', "Rhythm slot K", "K"},
    KeyBinding{'L', Any, AnyCount, C::RhythmSlot, 'L', "Rhythm slot L", "L"},
    KeyBinding{K::F2, Any, AnyCount, C::SaveRhythm, 0, "Save rhythm...", "F2"},
    KeyBinding{K::F3, Any, AnyCount, C::OpenRhythm, 0, "Open rhythm...", "F3"},
    // Alt+F4 belongs to the window system.
    KeyBinding{K::F4, K::AltMask, AnyCount, C::None, 0, "Close", "Alt+F4"},
    KeyBinding{K::F4, Any, AnyCount, C::EditRhythm, 0, "Edit rhythm...", "F4"},
    KeyBinding{K::F11, Any, AnyCount, C::ExportWave, 0, "Export to wave...", "F11"},
    // The clock, the help page, the side windows and the display.
    KeyBinding{K::F5, Any, AnyCount, C::ResetClock, 0, "Reset the practice clock", "F5 twice"},
    KeyBinding{K::F6, Any, AnyCount, C::FreezeClock, 0, "Freeze the practice clock", "F6"},
    KeyBinding{K::F1, Any, AnyCount, C::Help, 0, "Help", "F1"},
    KeyBinding{K::F9, Any, AnyCount, C::NoteBook, 0, "Notebook", "F9"},
    KeyBinding{K::Subtract, Any, 4, C::DisplayAndTempoList, 0, "Tempo list", "Keypad - 4 times"},
    KeyBinding{K::Subtract, Any, AnyCount, C::DisplayMode, 0, "Pendulum / ball", "Keypad -"},
};
// clang-format on

bool Matches(const KeyBinding& row, int32_t KeyCode, int32_t Shift, int32_t PressCount) {
    return row.KeyCode == KeyCode &&
           (row.Modifiers == KeyTable::AnyModifiers || row.Modifiers == Shift) &&
           (row.Presses == KeyTable::AnyPresses || row.Presses == PressCount);
}

} // namespace

std::span<const KeyBinding> KeyTable::Entries() {
    return Table;
}

const KeyBinding* KeyTable::Find(int32_t KeyCode, int32_t Shift, int32_t PressCount) {
    const auto row = std::find_if(Table.begin(), Table.end(), [&](const KeyBinding& r) {
        return Matches(r, KeyCode, Shift, PressCount);
    });
    return row == Table.end() ? nullptr : &*row;
}

CommandGroup KeyTable::GroupOf(KeyCommand command) {
    switch (command) {
    case C::SetTempo:
    case C::StepTempo:
    case C::TempoSlot:
    case C::NextTempoSlot:
    case C::TempoGrowth:
    case C::WarmUpRamp:
        return CommandGroup::Tempo;
    case C::DefaultRhythm:
    case C::RhythmPreset:
    case C::RhythmSlot:
    case C::SaveRhythm:
    case C::OpenRhythm:
    case C::EditRhythm:
    case C::ExportWave:
        return CommandGroup::Rhythm;
    case C::StepVolume:
    case C::StepWave:
    case C::StepMic:
    case C::MicMute:
    case C::MixerPreset:
        return CommandGroup::Mixer;
    case C::ResetClock:
    case C::FreezeClock:
    case C::NoteBook:
    case C::DisplayAndTempoList:
        return CommandGroup::Tools;
    case C::Help:
        return CommandGroup::Help;
    default:
        return CommandGroup::Beat;
    }
}
