#include "TempoMemoryCommands.h"

#include "Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>

namespace {

constexpr int32_t SlotCount = 9;
constexpr int32_t FirstRampSlot = 2; // keypad 3: a ramp needs at least one slot in between
constexpr int32_t StorePress = 2;
constexpr int32_t RampPress = 3;

// The warm-up series starts at a sixth of the target and passes a third of it, both raised by 20
// so that slow targets still begin at a playable tempo.
constexpr double LowDivisor = 6.0;
constexpr double MidDivisor = 3.0;
constexpr double WarmUpLift = 20.0;
// The upper half rises along (k/5)^e; e grows with the distance to cover, so that long climbs
// spend more of the series near the middle tempo and only the last steps reach the target.
constexpr double BaseExponent = 1.5;
constexpr double ExponentPerBpm = 0.01;

int32_t Nearest(double value) {
    return RoundToInt32(value);
}

// Slot i is keypad key i + 1, and the player knows it by that number.
std::string MemoryNumber(int32_t slot) {
    return std::to_string(slot + 1);
}

} // namespace

TempoMemoryCommands::TempoMemoryCommands(CMetronome& Metron, TempoMemoryState& memory,
                                         int32_t& SavedTempo, std::function<void()> showTempoGrowth,
                                         CommandFeedback* feedback)
    : Metron(Metron)
    , memory(memory)
    , SavedTempo(SavedTempo)
    , showTempoGrowth(std::move(showTempoGrowth))
    , feedback(feedback) {}

void TempoMemoryCommands::OfferUndo(std::string text, std::string what,
                                    const TempoMemoryState& before, int32_t first, int32_t last) {
    if (!feedback) {
        return;
    }
    // Only what the command overwrote goes back: the stepping position stays where it is now.
    const auto restore = [this, before, first, last] {
        for (int32_t i = first; i <= last; ++i) {
            memory.TempoMemory[static_cast<std::size_t>(i)] =
                before.TempoMemory[static_cast<std::size_t>(i)];
        }
        memory.LastSlot = before.LastSlot;
    };
    feedback->Undoable(std::move(text), std::move(what), {}, restore);
}

void TempoMemoryCommands::KeypadDigit(int32_t slot, int32_t PressCount) {
    if (slot < 0 || slot >= SlotCount) {
        return;
    }
    memory.CurSlot = slot;
    if (PressCount == StorePress) {
        StoreSavedTempo(slot);
    } else if (PressCount == RampPress && slot >= FirstRampSlot) {
        SpreadEvenly(slot);
    } else {
        Recall(slot);
    }
}

void TempoMemoryCommands::StoreSavedTempo(int32_t slot) {
    const TempoMemoryState before = memory;
    memory.TempoMemory[static_cast<std::size_t>(slot)] = SavedTempo;
    Metron.BPM(SavedTempo);
    const std::string number = MemoryNumber(slot);
    OfferUndo("Tempo memory " + number + " stored", "tempo memory " + number + " stored", before,
              slot, slot);
}

void TempoMemoryCommands::SpreadEvenly(int32_t slot) {
    const TempoMemoryState before = memory;
    auto& tempos = memory.TempoMemory;
    const double first = tempos[0];
    const double span = tempos[static_cast<std::size_t>(slot)] - first;
    for (int32_t i = 1; i < slot; ++i) {
        const double fraction = static_cast<double>(i) / slot;
        tempos[static_cast<std::size_t>(i)] = Nearest(first + fraction * span);
    }
    memory.LastSlot = slot;
    Metron.BPM(tempos[0]);
    memory.CurSlot = 0;
    const std::string number = MemoryNumber(slot);
    OfferUndo("Even ramp up to tempo memory " + number, "even ramp up to tempo memory " + number,
              before, 1, slot - 1);
}

void TempoMemoryCommands::Recall(int32_t slot) {
    SavedTempo = Metron.BPM();
    Metron.BPM(memory.TempoMemory[static_cast<std::size_t>(slot)]);
}

void TempoMemoryCommands::KeypadPlus() {
    memory.CurSlot = memory.CurSlot < memory.LastSlot ? memory.CurSlot + 1 : 0;
    Metron.BPM(memory.TempoMemory[static_cast<std::size_t>(memory.CurSlot)]);
    if (Metron.Enable()) {
        // Switching off and on again starts the new tempo on a fresh beat instead of finishing
        // the step that was scheduled at the old one.
        Metron.Enable(false);
        Metron.Enable(true);
    }
}

void TempoMemoryCommands::KeypadZero() {
    if (memory.CurSlot <= 1) {
        return;
    }
    Metron.Enable(false);
    if (showTempoGrowth) {
        showTempoGrowth();
    }
}

void TempoMemoryCommands::KeypadDecimal(bool DoubleKey) {
    if (!DoubleKey) {
        return;
    }
    const TempoMemoryState before = memory;
    const int32_t top = Metron.BPM();
    const int32_t low = std::min(Nearest(top / LowDivisor + WarmUpLift), top);
    const int32_t mid = std::min(Nearest(top / MidDivisor + WarmUpLift), top);
    auto& tempos = memory.TempoMemory;

    tempos[0] = low;
    tempos[1] = Nearest(low + (mid - low) * std::pow(1.0 / 3.0, 0.5));
    tempos[2] = Nearest(low + (mid - low) * std::pow(2.0 / 3.0, 0.5));
    tempos[3] = mid;
    const double exponent = (top - mid) * ExponentPerBpm + BaseExponent;
    for (int32_t k = 1; k <= 4; ++k) {
        tempos[static_cast<std::size_t>(3 + k)] =
            Nearest(mid + (top - mid) * std::pow(k / 5.0, exponent));
    }
    tempos[8] = top;

    Metron.BPM(tempos[0]);
    memory.CurSlot = 0;
    memory.LastSlot = 8;
    OfferUndo("Warm-up tempo ramp stored", "warm-up tempo ramp", before, 0, SlotCount - 1);
}
