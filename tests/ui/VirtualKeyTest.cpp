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

TEST(VirtualKey, LettersAndDigitsHaveTheirUpperCaseCharacterWithOrWithoutShift) {
    ExpectCodes({
        {Qt::Key_Q, {}, "q", 81},
        {Qt::Key_I, {}, "i", 73},
        {Qt::Key_A, {}, "a", 65},
        {Qt::Key_L, {}, "l", 76},
        {Qt::Key_Z, {}, "z", 90},
        {Qt::Key_Z, Qt::ShiftModifier, "Z", 90},
        {Qt::Key_Q, Qt::ControlModifier, "\x11", 81},
        {Qt::Key_0, {}, "0", 48},
        {Qt::Key_5, {}, "5", 53},
        {Qt::Key_9, {}, "9", 57},
    });
}

TEST(VirtualKey, ShiftedPunctuationKeepsTheCodeOfItsKey) {
    ExpectCodes({
        {Qt::Key_Exclam, Qt::ShiftModifier, "!", 49},
        {Qt::Key_At, Qt::ShiftModifier, "@", 50},
        {Qt::Key_NumberSign, Qt::ShiftModifier, "#", 51},
        {Qt::Key_Dollar, Qt::ShiftModifier, "$", 52},
        {Qt::Key_Percent, Qt::ShiftModifier, "%", 53},
        {Qt::Key_AsciiCircum, Qt::ShiftModifier, "^", 54},
        {Qt::Key_Ampersand, Qt::ShiftModifier, "&", 55},
        {Qt::Key_Asterisk, Qt::ShiftModifier, "*", 56},
        {Qt::Key_ParenLeft, Qt::ShiftModifier, "(", 57},
        {Qt::Key_ParenRight, Qt::ShiftModifier, ")", 48},
        {Qt::Key_QuoteLeft, {}, "`", 192},
        {Qt::Key_AsciiTilde, Qt::ShiftModifier, "~", 192},
        {Qt::Key_Minus, {}, "-", 189},
        {Qt::Key_Underscore, Qt::ShiftModifier, "_", 189},
        {Qt::Key_Equal, {}, "=", 187},
        {Qt::Key_Plus, Qt::ShiftModifier, "+", 187},
        {Qt::Key_Backslash, {}, "\\", 220},
        {Qt::Key_Bar, Qt::ShiftModifier, "|", 220},
        {Qt::Key_BracketLeft, {}, "[", 219},
        {Qt::Key_BraceLeft, Qt::ShiftModifier, "{", 219},
        {Qt::Key_BracketRight, {}, "]", 221},
        {Qt::Key_BraceRight, Qt::ShiftModifier, "}", 221},
        {Qt::Key_Semicolon, {}, ";", 186},
        {Qt::Key_Colon, Qt::ShiftModifier, ":", 186},
        {Qt::Key_Apostrophe, {}, "'", 222},
        {Qt::Key_QuoteDbl, Qt::ShiftModifier, "\"", 222},
        {Qt::Key_Comma, {}, ",", 188},
        {Qt::Key_Less, Qt::ShiftModifier, "<", 188},
        {Qt::Key_Period, {}, ".", 190},
        {Qt::Key_Greater, Qt::ShiftModifier, ">", 190},
        {Qt::Key_Slash, {}, "/", 191},
        {Qt::Key_Question, Qt::ShiftModifier, "?", 191},
        // The US international layout's dead keys lie on the same keys.
        {Qt::Key_Dead_Grave, {}, {}, 192},
        {Qt::Key_Dead_Acute, {}, {}, 222},
    });
}

TEST(VirtualKey, KeypadWithNumLockOnHasItsOwnCodes) {
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    ExpectCodes({
        {Qt::Key_0, keypad, "0", 96},
        {Qt::Key_1, keypad, "1", 97},
        {Qt::Key_5, keypad, "5", 101},
        {Qt::Key_9, keypad, "9", 105},
        {Qt::Key_Asterisk, keypad, "*", 106},
        {Qt::Key_Plus, keypad, "+", 107},
        {Qt::Key_Minus, keypad, "-", 109},
        {Qt::Key_Period, keypad, ".", 110},
        // A layout with a decimal comma labels the same key with a comma.
        {Qt::Key_Comma, keypad, ",", 110},
        {Qt::Key_Slash, keypad, "/", 111},
        {Qt::Key_Enter, keypad, "\r", 13},
    });
}

TEST(VirtualKey, KeypadWithNumLockOffSendsTheNavigationCodes) {
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    ExpectCodes({
        {Qt::Key_End, keypad, {}, 35},
        {Qt::Key_Down, keypad, {}, 40},
        {Qt::Key_PageDown, keypad, {}, 34},
        {Qt::Key_Left, keypad, {}, 37},
        {Qt::Key_Clear, keypad, {}, 12},
        {Qt::Key_Right, keypad, {}, 39},
        {Qt::Key_Home, keypad, {}, 36},
        {Qt::Key_Up, keypad, {}, 38},
        {Qt::Key_PageUp, keypad, {}, 33},
        {Qt::Key_Insert, keypad, {}, 45},
        {Qt::Key_Delete, keypad, {}, 46},
    });
}

TEST(VirtualKey, FunctionNavigationAndControlKeys) {
    ExpectCodes({
        {Qt::Key_F1, {}, {}, 112},
        {Qt::Key_F4, Qt::AltModifier, {}, 115},
        {Qt::Key_F9, {}, {}, 120},
        {Qt::Key_F11, {}, {}, 122},
        {Qt::Key_F12, {}, {}, 123},
        {Qt::Key_Insert, {}, {}, 45},
        {Qt::Key_Delete, {}, {}, 46},
        {Qt::Key_Home, {}, {}, 36},
        {Qt::Key_End, {}, {}, 35},
        {Qt::Key_PageUp, {}, {}, 33},
        {Qt::Key_PageDown, {}, {}, 34},
        {Qt::Key_Left, {}, {}, 37},
        {Qt::Key_Up, {}, {}, 38},
        {Qt::Key_Right, {}, {}, 39},
        {Qt::Key_Down, {}, {}, 40},
        {Qt::Key_Backspace, {}, "\b", 8},
        {Qt::Key_Space, {}, " ", 32},
        {Qt::Key_Space, Qt::ShiftModifier, " ", 32},
        {Qt::Key_Shift, Qt::ShiftModifier, {}, 16},
        {Qt::Key_Control, Qt::ControlModifier, {}, 17},
        {Qt::Key_Alt, Qt::AltModifier, {}, 18},
        {Qt::Key_Tab, {}, "\t", 9},
        {Qt::Key_Backtab, Qt::ShiftModifier, {}, 9},
        {Qt::Key_Return, {}, "\r", 13},
        {Qt::Key_Escape, {}, "\x1b", 27},
    });
    // A key no US keyboard has gets no code.
    EXPECT_EQ(Translate({Qt::Key_VolumeUp, {}, {}, 0}).KeyCode, 0);
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
    // Each row in full.
    const std::vector<std::pair<uint32_t, int32_t>> rows = {
        {2, 49},   {11, 48}, {12, 189}, {13, 187}, {16, 81},  {25, 80},  {26, 219},
        {27, 221}, {30, 65}, {38, 76},  {39, 186}, {40, 222}, {41, 192}, {43, 220},
        {44, 90},  {50, 77}, {51, 188}, {52, 190}, {53, 191}, {86, 226},
    };
    for (const auto& [inputCode, code] : rows) {
        EXPECT_EQ(VirtualKey::FromScanCode(inputCode + 8), code) << "input code " << inputCode;
    }
}

TEST(VirtualKey, KeysOutsideTheTypewriterBlockIgnoreThePlace) {
    // Keypad 1 with Num Lock on and off, whatever number the system gives it.
    EXPECT_EQ(Physical(Qt::Key_1, 79, Qt::KeypadModifier, "1").KeyCode, 97);
    EXPECT_EQ(Physical(Qt::Key_End, 79, Qt::KeypadModifier).KeyCode, 35);
    // A navigation or function key never turns into a letter, even under a foreign key numbering.
    EXPECT_EQ(Physical(Qt::Key_Home, 16).KeyCode, 36);
    EXPECT_EQ(Physical(Qt::Key_F5, 30).KeyCode, 116);
    EXPECT_EQ(Physical(Qt::Key_Space, 57, {}, " ").KeyCode, 32);
    EXPECT_EQ(Physical(Qt::Key_Shift, 42, Qt::ShiftModifier).KeyCode, 16);
    // Without a number (a synthesized event) the key goes by its Qt name.
    const QKeyEvent synthesized(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
    EXPECT_EQ(VirtualKey::FromEvent(synthesized, true).KeyCode, 90);
    EXPECT_EQ(VirtualKey::FromScanCode(0), 0);
    EXPECT_EQ(VirtualKey::FromScanCode(9), 0);
}

TEST(VirtualKey, OffscreenPlatformGoesByQtKeys) {
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    EXPECT_FALSE(VirtualKey::PlatformHasPhysicalScanCodes());
    const QKeyEvent event(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, 21 + 8, 0, 0,
                          QStringLiteral("z"));
    EXPECT_EQ(VirtualKey::FromEvent(event).KeyCode, 90);
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

TEST_F(WindowKeys, ShiftedDigitsAndPunctuationSetTheirTempos) {
    Send(Qt::Key_Exclam, Qt::ShiftModifier, "!");
    EXPECT_EQ(form->Metron->BPM(), 110);
    Later();
    Send(Qt::Key_AsciiTilde, Qt::ShiftModifier, "~");
    EXPECT_EQ(form->Metron->BPM(), 100);
    Later();
    Send(Qt::Key_Plus, Qt::ShiftModifier, "+");
    EXPECT_EQ(form->Metron->BPM(), 220);
    Later();
    Send(Qt::Key_Backspace, {}, "\b");
    EXPECT_EQ(form->Metron->BPM(), 240);
    EXPECT_EQ(form->KeyState.LastKey, 8);
}

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

TEST_F(WindowKeys, KeypadKeysReachTheirCommandsWithNumLockOnAndOff) {
    Send(Qt::Key_1, Qt::KeypadModifier, "1");
    EXPECT_EQ(form->Metron->BPM(), 30);
    Later();
    // Num Lock off: keypad 8 is Up.
    Send(Qt::Key_Up, Qt::KeypadModifier);
    EXPECT_EQ(form->Metron->BPM(), 35);
    Later();
    // The main block's 1 is another key.
    Send(Qt::Key_1, {}, "1");
    EXPECT_EQ(form->Metron->BPM(), 110);
}

TEST_F(WindowKeys, TabAndEscapeEndARepeatChainInsteadOfMovingTheFocus) {
    Send(Qt::Key_Q, {}, "q");
    Send(Qt::Key_Tab, {}, "\t");
    EXPECT_EQ(form->KeyState.LastKey, 9);
    Send(Qt::Key_Q, {}, "q");
    EXPECT_EQ(form->Metron->BPM(), 20);
    Send(Qt::Key_Escape, {}, "\x1b");
    EXPECT_EQ(form->KeyState.LastKey, 27);
    Send(Qt::Key_Q, {}, "q");
    EXPECT_EQ(form->Metron->BPM(), 20);
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
