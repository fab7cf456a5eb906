// Key codes of the window's key events: Qt's keys on a US layout (the offscreen platform and any
// platform without physical key numbers) and the places of the typewriter keys where X11 or
// Wayland report them.
#include "VirtualKey.h"

#include "FormFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <utility>
#include <vector>

namespace {

struct Press {
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    QString text;
    int32_t code;
};

VirtualKey::KeyDown Translate(const Press& press) {
    const QKeyEvent event(QEvent::KeyPress, press.qtKey, press.modifiers, press.text);
    return VirtualKey::FromEvent(event, false);
}

void ExpectCodes(const std::vector<Press>& presses) {
    for (const Press& press : presses) {
        EXPECT_EQ(Translate(press).KeyCode, press.code)
            << "Qt key 0x" << std::hex << press.qtKey << " text \"" << press.text.toStdString()
            << "\"";
    }
}

// A key event as X11 delivers it: the key number of the Linux input code plus 8.
VirtualKey::KeyDown Physical(int qtKey, uint32_t inputCode, Qt::KeyboardModifiers modifiers = {},
                             const QString& text = {}) {
    const QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, inputCode + 8, 0, 0, text);
    return VirtualKey::FromEvent(event, true);
}

// One row for each way a key finds its code.
TEST(VirtualKey, QtKeysOnAUsLayout) {
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    ExpectCodes({
        {Qt::Key_Q, {}, "q", 81},
        {Qt::Key_Z, Qt::ShiftModifier, "Z", 90},
        {Qt::Key_Q, Qt::ControlModifier, "\x11", 81},
        {Qt::Key_9, {}, "9", 57},
        // Shifted punctuation keeps the code of its key.
        {Qt::Key_ParenRight, Qt::ShiftModifier, ")", 48},
        {Qt::Key_AsciiTilde, Qt::ShiftModifier, "~", 192},
        {Qt::Key_Underscore, Qt::ShiftModifier, "_", 189},
        {Qt::Key_Plus, Qt::ShiftModifier, "+", 187},
        {Qt::Key_BraceRight, Qt::ShiftModifier, "}", 221},
        {Qt::Key_Question, Qt::ShiftModifier, "?", 191},
        {Qt::Key_Less, Qt::ShiftModifier, "<", 188},
        // The US international layout's dead keys lie on the same keys.
        {Qt::Key_Dead_Acute, {}, {}, 222},
        // The keypad with Num Lock on, a decimal comma included, and off.
        {Qt::Key_0, keypad, "0", 96},
        {Qt::Key_9, keypad, "9", 105},
        {Qt::Key_Plus, keypad, "+", 107},
        {Qt::Key_Minus, keypad, "-", 109},
        {Qt::Key_Comma, keypad, ",", 110},
        {Qt::Key_Clear, keypad, {}, 12},
        {Qt::Key_PageUp, keypad, {}, 33},
        {Qt::Key_F4, Qt::AltModifier, {}, 115},
        {Qt::Key_F12, {}, {}, 123},
        {Qt::Key_Backspace, {}, "\b", 8},
        {Qt::Key_Shift, Qt::ShiftModifier, {}, 16},
        {Qt::Key_Backtab, Qt::ShiftModifier, {}, 9},
        {Qt::Key_Escape, {}, "\x1b", 27},
        // A key no US keyboard has gets no code.
        {Qt::Key_VolumeUp, {}, {}, 0},
    });
}

TEST(VirtualKey, ModifierMaskIsShiftOneCtrlTwoAltFour) {
    const QKeyEvent altF4(QEvent::KeyPress, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(VirtualKey::FromEvent(altF4, false), (VirtualKey::KeyDown{115, 4}));
    const QKeyEvent chord(QEvent::KeyPress, Qt::Key_F4,
                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(VirtualKey::FromEvent(chord, false).Shift, 7);
    const QKeyEvent ctrlShift(QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(VirtualKey::FromEvent(ctrlShift, false), (VirtualKey::KeyDown{81, 3}));
    // The keypad and the Meta key add nothing to the mask.
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_1,
                           Qt::KeypadModifier | Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(VirtualKey::FromEvent(keypad, false), (VirtualKey::KeyDown{97, 1}));
}

TEST(VirtualKey, TypewriterKeysAreNamedByTheirPlaceWhereTheSystemReportsIt) {
    // A German layout prints Z on the place of the US Y key and Y on the place of Z.
    EXPECT_EQ(Physical(Qt::Key_Z, 21).KeyCode, 89);
    EXPECT_EQ(Physical(Qt::Key_Y, 44).KeyCode, 90);
    // Shift+7 gives "/" there; the key is still the 7 key.
    EXPECT_EQ(Physical(Qt::Key_Slash, 8, Qt::ShiftModifier, "/").KeyCode, 55);
    // A French layout gives "&" on the 1 key and A on the place of Q.
    EXPECT_EQ(Physical(Qt::Key_Ampersand, 2, {}, "&").KeyCode, 49);
    EXPECT_EQ(Physical(Qt::Key_A, 16, {}, "a").KeyCode, 81);
    // National letters and dead keys have no US code of their own, only their place.
    EXPECT_EQ(Physical(Qt::Key_Odiaeresis, 39, {}, "ö").KeyCode, 186);
    EXPECT_EQ(Physical(Qt::Key_Dead_Circumflex, 41).KeyCode, 192);
    EXPECT_EQ(Physical(Qt::Key_ssharp, 12, {}, "ß").KeyCode, 189);
    EXPECT_EQ(VirtualKey::FromScanCode(86 + 8), 226);
}

// The window turns its key events into key codes for its key handler.
class WindowKeys : public FormFixture {
protected:
    void Send(int qtKey, Qt::KeyboardModifiers modifiers = {}, const QString& text = {},
              bool autoRepeat = false) {
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text, autoRepeat);
        QApplication::sendEvent(form.get(), &press);
    }
    // More than the repeat time later, so that the next key is a first press.
    void Later() { ticks.now += 1000; }
};

TEST_F(WindowKeys, HeldKeyRepeatsCountAsQuickPresses) {
    const int32_t expected[] = {20, 25, 23, 27, 20, 20};
    bool repeat = false;
    for (const int32_t tempo : expected) {
        Send(Qt::Key_Q, {}, "q", repeat);
        EXPECT_EQ(form->Metron->BPM(), tempo);
        repeat = true;
        ticks.now += 33;
    }
    EXPECT_EQ(form->KeyState.PressCount, 6);
}

TEST_F(WindowKeys, WindowTakesTheKeyboardFocusAndNoChildTakesIt) {
    EXPECT_EQ(form->focusPolicy(), Qt::StrongFocus);
    for (const QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
        }
    }
}

} // namespace
