#pragma once

#include "CMetronome.h"
#include "CommandFeedback.h"
#include "TempoMemoryState.h"

#include <cstdint>
#include <functional>
#include <string>

// The numeric keypad as a memory of nine tempos: recall, store, even ramps, stepping through the
// series, the growth dialog and the warm-up series. Every tempo goes through the engine's BPM,
// which clamps it.
class TempoMemoryCommands {
public:
    // SavedTempo is the key state's record of the tempo before the last single press of a keypad
    // digit. showTempoGrowth shows the tempo growth dialog modally and returns when it has closed.
    // What a store, an even ramp or the warm-up series writes into the memory is told through
    // feedback, where one is given, and can be undone there.
    TempoMemoryCommands(CMetronome& Metron, TempoMemoryState& memory, int32_t& SavedTempo,
                        std::function<void()> showTempoGrowth, CommandFeedback* feedback = nullptr);

    // Keypad 1 ... 9: slot 0 ... 8, with the key's quick-press count.
    void KeypadDigit(int32_t slot, int32_t PressCount);
    void KeypadPlus();
    void KeypadZero();
    void KeypadDecimal(bool DoubleKey);

private:
    void StoreSavedTempo(int32_t slot);
    void SpreadEvenly(int32_t slot);
    void Recall(int32_t slot);
    // Offers the undo of a change to the slots first ... last, and LastSlot, as they were in
    // before.
    void OfferUndo(std::string text, std::string what, const TempoMemoryState& before,
                   int32_t first, int32_t last);

    CMetronome& Metron;
    TempoMemoryState& memory;
    int32_t& SavedTempo;
    std::function<void()> showTempoGrowth;
    CommandFeedback* feedback;
};
