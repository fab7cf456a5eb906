#pragma once

#include <cstdint>

class QKeyEvent;

// The program's key codes are those of a US keyboard on Windows (virtual-key codes), whatever the
// windowing system: letters and digits have the code of their upper-case character, the
// punctuation keys their "OEM" codes, the keypad its own codes with Num Lock on and the navigation
// codes with it off. A key has its code whatever the modifiers: Shift+1 is still the 1 key, 49.
//
// The keys of the typewriter block are named by their place on the keyboard, not by what the
// layout prints on them, so that the keys keep their places on any layout (the key right of Tab
// is always 81, Q). Where the window system reports physical key numbers (X11 and Wayland give the
// Linux input code plus 8), those name the key; elsewhere, and for every key outside that block,
// Qt's key and its keypad flag do, read on a US layout.
class VirtualKey {
public:
    // One key-down as the key handler receives it: the code and the modifier mask.
    struct KeyDown {
        int32_t KeyCode = 0;
        int32_t Shift = 0;

        bool operator==(const KeyDown&) const = default;
    };

    // The event's code and mask. physicalScanCodes: the event's native scan code is the Linux
    // input code plus 8, as on X11 and Wayland.
    static KeyDown FromEvent(const QKeyEvent& event, bool physicalScanCodes);
    // The same, deciding physicalScanCodes from the platform the application runs on.
    static KeyDown FromEvent(const QKeyEvent& event);
    static bool PlatformHasPhysicalScanCodes();

    // The code of a Qt key (Qt::Key) on a US layout; keypad tells a keypad key from its twin in the
    // main block. 0 for a key without a code.
    static int32_t FromQtKey(int qtKey, bool keypad);
    // The code of the typewriter-block key with this X11/Wayland key number; 0 outside that block.
    static int32_t FromScanCode(uint32_t scanCode);
    // Bit 1 Shift, bit 2 Ctrl, bit 4 Alt, from Qt's modifier flags.
    static int32_t ModifierMask(int qtModifiers);
    // Letters, digits and the punctuation keys: the keys whose place a layout may relabel.
    static bool IsTypewriterKey(int32_t KeyCode);

    static constexpr int32_t Back = 8;
    static constexpr int32_t Tab = 9;
    static constexpr int32_t Clear = 12;
    static constexpr int32_t Return = 13;
    static constexpr int32_t ShiftKey = 16;
    static constexpr int32_t Control = 17;
    static constexpr int32_t Menu = 18;
    static constexpr int32_t Pause = 19;
    static constexpr int32_t Capital = 20;
    static constexpr int32_t Escape = 27;
    static constexpr int32_t Space = 32;
    static constexpr int32_t Prior = 33;
    static constexpr int32_t Next = 34;
    static constexpr int32_t End = 35;
    static constexpr int32_t Home = 36;
    static constexpr int32_t Left = 37;
    static constexpr int32_t Up = 38;
    static constexpr int32_t Right = 39;
    static constexpr int32_t Down = 40;
    static constexpr int32_t Snapshot = 44;
    static constexpr int32_t Insert = 45;
    static constexpr int32_t Delete = 46;
    static constexpr int32_t LeftWindows = 91;
    static constexpr int32_t RightWindows = 92;
    static constexpr int32_t Apps = 93;
    static constexpr int32_t Numpad0 = 96;
    static constexpr int32_t Numpad1 = 97;
    static constexpr int32_t Numpad9 = 105;
    static constexpr int32_t Multiply = 106;
    static constexpr int32_t Add = 107;
    static constexpr int32_t Subtract = 109;
    static constexpr int32_t Decimal = 110;
    static constexpr int32_t Divide = 111;
    static constexpr int32_t F1 = 112;
    static constexpr int32_t F2 = 113;
    static constexpr int32_t F3 = 114;
    static constexpr int32_t F4 = 115;
    static constexpr int32_t F5 = 116;
    static constexpr int32_t F6 = 117;
    static constexpr int32_t F7 = 118;
    static constexpr int32_t F8 = 119;
    static constexpr int32_t F9 = 120;
    static constexpr int32_t F10 = 121;
    static constexpr int32_t F11 = 122;
    static constexpr int32_t F12 = 123;
    static constexpr int32_t NumLock = 144;
    static constexpr int32_t ScrollLock = 145;
    static constexpr int32_t Semicolon = 186; // ; :
    static constexpr int32_t Equals = 187;    // = +
    static constexpr int32_t Comma = 188;     // , <
    static constexpr int32_t Minus = 189;     // - _
    static constexpr int32_t Period = 190;    // . >
    static constexpr int32_t Slash = 191;     // / ?
    static constexpr int32_t Backquote = 192; // ` ~
    static constexpr int32_t LeftBracket = 219;
    static constexpr int32_t Backslash = 220;
    static constexpr int32_t RightBracket = 221;
    static constexpr int32_t Quote = 222;
    static constexpr int32_t Iso102 = 226; // the extra key left of Z on ISO keyboards

    static constexpr int32_t ShiftMask = 1;
    static constexpr int32_t ControlMask = 2;
    static constexpr int32_t AltMask = 4;
};
