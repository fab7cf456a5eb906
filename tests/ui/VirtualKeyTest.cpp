// Key codes of the window's key events: Qt's keys on a US layout (the offscreen platform and any
// platform without physical key numbers) and the places of the typewriter keys where X11 or
// Wayland report them.
#include "VirtualKey.h"

#include "FormFixture.h"

#include <QKeyEvent>
#include <vector>

namespace {

struct Press {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    QString text;
    VirtualKey::KeyDown expected;
};

// A few codes the key table depends on, and the modifier mask: Shift 1, Ctrl 2, Alt 4.
TEST(VirtualKey, QtKeysOnAUsLayoutWithTheModifierMask) {
    const std::vector<Press> presses{
        {Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, "\x11", {81, 3}},
        {Qt::Key_F4, Qt::AltModifier, {}, {115, 4}},
        // Shifted punctuation keeps the code of its key.
        {Qt::Key_AsciiTilde, Qt::ShiftModifier, "~", {192, 1}},
        {Qt::Key_BraceRight, Qt::ShiftModifier, "}", {221, 1}},
        // The keypad, a decimal comma included, and the Meta key add nothing to the mask.
        {Qt::Key_1, Qt::KeypadModifier | Qt::MetaModifier, "1", {97, 0}},
        {Qt::Key_Minus, Qt::KeypadModifier, "-", {109, 0}},
        {Qt::Key_Comma, Qt::KeypadModifier, ",", {110, 0}},
        {Qt::Key_PageUp, Qt::KeypadModifier, {}, {33, 0}},
        // A key no US keyboard has gets no code.
        {Qt::Key_VolumeUp, {}, {}, {0, 0}},
    };
    for (const Press& press : presses) {
        const QKeyEvent event(QEvent::KeyPress, press.qtKey, press.modifiers, press.text);
        EXPECT_EQ(VirtualKey::FromEvent(event, false), press.expected)
            << "Qt key 0x" << std::hex << press.qtKey;
    }
}

TEST(VirtualKey, TypewriterKeysAreNamedByTheirPlaceWhereTheSystemReportsIt) {
    const struct {
        const char* layout;
        int qtKey;
        uint32_t inputCode; // X11 reports the Linux input code plus 8
        int32_t code;
    } rows[] = {
        {"German Z on the US Y", Qt::Key_Z, 21, 89},
        {"French & on the 1 key", Qt::Key_Ampersand, 2, 49},
        {"the ISO key left of Z", Qt::Key_Less, 86, 226},
    };
    for (const auto& row : rows) {
        const QKeyEvent event(QEvent::KeyPress, row.qtKey, {}, row.inputCode + 8, 0, 0);
        EXPECT_EQ(VirtualKey::FromEvent(event, true).KeyCode, row.code) << row.layout;
    }
}

using WindowKeys = FormFixture;

TEST_F(WindowKeys, WindowTakesTheKeyboardFocusAndNoChildTakesIt) {
    EXPECT_EQ(form->focusPolicy(), Qt::StrongFocus);
    for (const QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
        }
    }
}

} // namespace
