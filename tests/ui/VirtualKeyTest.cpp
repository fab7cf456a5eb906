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

TEST(VirtualKey, QtKeysOnAUsLayoutWithTheModifierMask) {
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    const std::vector<Press> presses{
        {Qt::Key_Q, {}, "q", {81, 0}},
        {Qt::Key_Q, Qt::ControlModifier | shift, "\x11", {81, 3}},
        {Qt::Key_F4, Qt::AltModifier, {}, {115, 4}},
        {Qt::Key_F4, Qt::AltModifier | Qt::ControlModifier | shift, {}, {115, 7}},
        // Shifted punctuation keeps the code of its key.
        {Qt::Key_ParenRight, shift, ")", {48, 1}},
        {Qt::Key_AsciiTilde, shift, "~", {192, 1}},
        {Qt::Key_BraceRight, shift, "}", {221, 1}},
        {Qt::Key_Less, shift, "<", {188, 1}},
        // The US international layout's dead keys lie on the same keys.
        {Qt::Key_Dead_Acute, {}, {}, {222, 0}},
        // The keypad with Num Lock on, a decimal comma included, and off; the keypad and the Meta
        // key add nothing to the mask.
        {Qt::Key_1, keypad | Qt::MetaModifier | shift, "1", {97, 1}},
        {Qt::Key_Plus, keypad, "+", {107, 0}},
        {Qt::Key_Minus, keypad, "-", {109, 0}},
        {Qt::Key_Comma, keypad, ",", {110, 0}},
        {Qt::Key_Clear, keypad, {}, {12, 0}},
        {Qt::Key_PageUp, keypad, {}, {33, 0}},
        {Qt::Key_Backspace, {}, "\b", {8, 0}},
        {Qt::Key_Shift, shift, {}, {16, 0}},
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
        {"German Y on the US Z", Qt::Key_Y, 44, 90},
        {"German Shift+7 gives /", Qt::Key_Slash, 8, 55},
        {"French & on the 1 key", Qt::Key_Ampersand, 2, 49},
        {"French A on the US Q", Qt::Key_A, 16, 81},
        {"national letter", Qt::Key_Odiaeresis, 39, 186},
        {"dead key", Qt::Key_Dead_Circumflex, 41, 192},
        {"sharp s", Qt::Key_ssharp, 12, 189},
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
