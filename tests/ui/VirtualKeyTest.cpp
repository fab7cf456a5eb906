// Key codes of the window's key events: Qt's keys on a US layout (the offscreen platform and any
// platform without physical key numbers) and the places of the typewriter keys where X11 or
// Wayland report them.
#include "VirtualKey.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

// A few codes the key table depends on, the modifier mask (Shift 1, Ctrl 2, Alt 4), and the keys
// of the typewriter block named by their place where the system reports it (X11 gives the Linux
// input code plus 8; 0: no place reported).
TEST(VirtualKey, CodesOnAUsLayoutOrByPlaceWithTheModifierMask) {
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        uint32_t inputCode;
        VirtualKey::KeyDown expected;
    } rows[] = {
        {Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, 0, {81, 3}},
        {Qt::Key_F4, Qt::AltModifier, 0, {115, 4}},
        // Shifted punctuation keeps the code of its key.
        {Qt::Key_AsciiTilde, Qt::ShiftModifier, 0, {192, 1}},
        // The keypad, a decimal comma included, and the Meta key add nothing to the mask.
        {Qt::Key_1, Qt::KeypadModifier | Qt::MetaModifier, 0, {97, 0}},
        {Qt::Key_Comma, Qt::KeypadModifier, 0, {110, 0}},
        {Qt::Key_VolumeUp, {}, 0, {0, 0}},   // no US keyboard has it
        {Qt::Key_Z, {}, 21, {89, 0}},        // the German Z on the US Y
        {Qt::Key_Ampersand, {}, 2, {49, 0}}, // the French & on the 1 key
        {Qt::Key_Less, {}, 86, {226, 0}},    // the ISO key left of Z
    };
    for (const auto& row : rows) {
        const QKeyEvent event(QEvent::KeyPress, row.qtKey, row.modifiers, row.inputCode + 8, 0, 0);
        EXPECT_EQ(VirtualKey::FromEvent(event, row.inputCode != 0), row.expected);
    }
}

} // namespace
