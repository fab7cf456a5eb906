#pragma once

#include <array>
#include <cstdint>

// The nine tempos that the numeric keypad recalls, stores and steps through, with the slot last
// reached and the slot after which stepping wraps to slot 0. One value lives for the whole run and
// is shared by the keypad commands and the tempo growth dialog; it is not kept between runs.
struct TempoMemoryState {
    // Beats per minute; slot i belongs to keypad key i + 1.
    std::array<int32_t, 9> TempoMemory{30, 35, 40, 45, 50, 55, 60, 65, 70};
    int32_t CurSlot = 8;
    int32_t LastSlot = 8;

    bool operator==(const TempoMemoryState&) const = default;
};
