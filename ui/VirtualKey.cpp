#include "VirtualKey.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>
#include <utility>

namespace {

// The typewriter block by Linux input code (the X11 and Wayland key number less 8), in the rows of
// the keyboard. The codes are those a US layout gives these places.
constexpr uint32_t ScanCodeOffset = 8;
constexpr std::array<std::pair<uint32_t, int32_t>, 48> TypewriterBlock{{
    // The digits row, 1 to =.
    {2, 49},
    {3, 50},
    {4, 51},
    {5, 52},
    {6, 53},
    {7, 54},
    {8, 55},
    {9, 56},
    {10, 57},
    {11, 48},
    {12, VirtualKey::Minus},
    {13, VirtualKey::Equals},
    // The top letter row, Q to ].
    {16, 'Q'},
    {17, 'W'},
    {18, 'E'},
    {19, 'R'},
    {20, 'T'},
    {21, 'Y'},
    {22, 'U'},
    {23, 'I'},
    {24, 'O'},
    {25, 'P'},
    {26, VirtualKey::LeftBracket},
    {27, VirtualKey::RightBracket},
    // The home row, A to the quote key, then the backquote key left of 1.
    {30, 'A'},
    {31, 'S'},
    {32, 'D'},
    {33, 'F'},
    {34, 'G'},
    {35, 'H'},
    {36, 'J'},
    {37, 'K'},
    {38, 'L'},
    {39, VirtualKey::Semicolon},
    {40, VirtualKey::Quote},
    {41, VirtualKey::Backquote},
    // The bottom row, backslash and Z to /.
    {43, VirtualKey::Backslash},
    {44, 'Z'},
    {45, 'X'},
    {46, 'C'},
    {47, 'V'},
    {48, 'B'},
    {49, 'N'},
    {50, 'M'},
    {51, VirtualKey::Comma},
    {52, VirtualKey::Period},
    {53, VirtualKey::Slash},
    {86, VirtualKey::Iso102},
}};

// The keypad's keys as Qt names them, with Num Lock on; with it off they arrive as navigation keys
// and take the navigation codes.
int32_t KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return VirtualKey::Numpad0 + (qtKey - Qt::Key_0);
    }
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return VirtualKey::Multiply;
    case Qt::Key_Plus:
        return VirtualKey::Add;
    case Qt::Key_Minus:
        return VirtualKey::Subtract;
    // Layouts with a decimal comma label the keypad's decimal key with a comma.
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return VirtualKey::Decimal;
    case Qt::Key_Slash:
        return VirtualKey::Divide;
    default:
        return 0;
    }
}

// Keys whose code does not depend on the layout.
int32_t ControlKey(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return VirtualKey::F1 + (qtKey - Qt::Key_F1);
    }
    switch (qtKey) {
    case Qt::Key_Backspace:
        return VirtualKey::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VirtualKey::Tab;
    case Qt::Key_Clear:
        return VirtualKey::Clear;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VirtualKey::Return;
    case Qt::Key_Shift:
        return VirtualKey::ShiftKey;
    case Qt::Key_Control:
        return VirtualKey::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VirtualKey::Menu;
    case Qt::Key_Pause:
        return VirtualKey::Pause;
    case Qt::Key_CapsLock:
        return VirtualKey::Capital;
    case Qt::Key_Escape:
        return VirtualKey::Escape;
    case Qt::Key_Space:
        return VirtualKey::Space;
    case Qt::Key_PageUp:
        return VirtualKey::Prior;
    case Qt::Key_PageDown:
        return VirtualKey::Next;
    case Qt::Key_End:
        return VirtualKey::End;
    case Qt::Key_Home:
        return VirtualKey::Home;
    case Qt::Key_Left:
        return VirtualKey::Left;
    case Qt::Key_Up:
        return VirtualKey::Up;
    case Qt::Key_Right:
        return VirtualKey::Right;
    case Qt::Key_Down:
        return VirtualKey::Down;
    case Qt::Key_Print:
        return VirtualKey::Snapshot;
    case Qt::Key_Insert:
        return VirtualKey::Insert;
    case Qt::Key_Delete:
        return VirtualKey::Delete;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
        return VirtualKey::LeftWindows;
    case Qt::Key_Super_R:
        return VirtualKey::RightWindows;
    case Qt::Key_Menu:
        return VirtualKey::Apps;
    case Qt::Key_NumLock:
        return VirtualKey::NumLock;
    case Qt::Key_ScrollLock:
        return VirtualKey::ScrollLock;
    default:
        return 0;
    }
}

// The typewriter keys as a US layout labels them, shifted or not: Shift+1 gives Qt "!", which is
// still the 1 key. The dead keys of the US international layout sit on the same keys.
int32_t TypewriterKey(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    switch (qtKey) {
    case Qt::Key_Exclam:
        return '1';
    case Qt::Key_At:
        return '2';
    case Qt::Key_NumberSign:
        return '3';
    case Qt::Key_Dollar:
        return '4';
    case Qt::Key_Percent:
        return '5';
    case Qt::Key_AsciiCircum:
    case Qt::Key_Dead_Circumflex:
        return '6';
    case Qt::Key_Ampersand:
        return '7';
    case Qt::Key_Asterisk:
        return '8';
    case Qt::Key_ParenLeft:
        return '9';
    case Qt::Key_ParenRight:
        return '0';
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return VirtualKey::Minus;
    case Qt::Key_Equal:
    case Qt::Key_Plus:
        return VirtualKey::Equals;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        return VirtualKey::LeftBracket;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        return VirtualKey::RightBracket;
    case Qt::Key_Backslash:
    case Qt::Key_Bar:
        return VirtualKey::Backslash;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon:
        return VirtualKey::Semicolon;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl:
    case Qt::Key_Dead_Acute:
    case Qt::Key_Dead_Diaeresis:
        return VirtualKey::Quote;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde:
    case Qt::Key_Dead_Grave:
    case Qt::Key_Dead_Tilde:
        return VirtualKey::Backquote;
    case Qt::Key_Comma:
    case Qt::Key_Less:
        return VirtualKey::Comma;
    case Qt::Key_Period:
    case Qt::Key_Greater:
        return VirtualKey::Period;
    case Qt::Key_Slash:
    case Qt::Key_Question:
        return VirtualKey::Slash;
    default:
        return 0;
    }
}

} // namespace

int32_t VirtualKey::FromQtKey(int qtKey, bool keypad) {
    if (keypad) {
        if (const int32_t code = KeypadKey(qtKey); code != 0) {
            return code;
        }
    }
    if (const int32_t code = ControlKey(qtKey); code != 0) {
        return code;
    }
    return TypewriterKey(qtKey);
}

int32_t VirtualKey::FromScanCode(uint32_t scanCode) {
    if (scanCode < ScanCodeOffset) {
        return 0;
    }
    const uint32_t inputCode = scanCode - ScanCodeOffset;
    for (const auto& [code, key] : TypewriterBlock) {
        if (code == inputCode) {
            return key;
        }
    }
    return 0;
}

bool VirtualKey::IsTypewriterKey(int32_t KeyCode) {
    return (KeyCode >= '0' && KeyCode <= '9') || (KeyCode >= 'A' && KeyCode <= 'Z') ||
           (KeyCode >= Semicolon && KeyCode <= Backquote) ||
           (KeyCode >= LeftBracket && KeyCode <= Quote) || KeyCode == Iso102;
}

int32_t VirtualKey::ModifierMask(int qtModifiers) {
    int32_t mask = 0;
    if ((qtModifiers & Qt::ShiftModifier) != 0) {
        mask |= ShiftMask;
    }
    if ((qtModifiers & Qt::ControlModifier) != 0) {
        mask |= ControlMask;
    }
    if ((qtModifiers & Qt::AltModifier) != 0) {
        mask |= AltMask;
    }
    return mask;
}

VirtualKey::KeyDown VirtualKey::FromEvent(const QKeyEvent& event, bool physicalScanCodes) {
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    int32_t code = FromQtKey(event.key(), keypad);
    // A typewriter key, or a key the US layout does not know (a national letter, a dead key of
    // another layout), is named by its place when the place is known. The check on the Qt side
    // keeps a keypad or navigation key from ever being taken for another key.
    if (physicalScanCodes && (code == 0 || IsTypewriterKey(code)) && !keypad) {
        if (const int32_t place = FromScanCode(event.nativeScanCode()); place != 0) {
            code = place;
        }
    }
    return {code, ModifierMask(event.modifiers().toInt())};
}

VirtualKey::KeyDown VirtualKey::FromEvent(const QKeyEvent& event) {
    return FromEvent(event, PlatformHasPhysicalScanCodes());
}

bool VirtualKey::PlatformHasPhysicalScanCodes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}
