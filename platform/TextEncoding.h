#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text files may come as UTF-8 or in the Windows code page of older installations (1252, Western
// European). Inside the program text is UTF-8.
class TextEncoding {
public:
    // Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool IsUtf8(std::string_view bytes);
    // The length of the well-formed UTF-8 sequence that starts at bytes[at], or 0 when there is
    // none; code, if given, receives its code point.
    static std::size_t Utf8Sequence(std::string_view bytes, std::size_t at,
                                    char32_t* code = nullptr);
    // Appends the code point (up to U+10FFFF) in UTF-8.
    static void AppendUtf8(std::string& out, char32_t code);
    // The code point of one Windows-1252 byte.
    static char32_t Windows1252(unsigned char byte);

    // UTF-16, as the window toolkit holds text: the halves of a surrogate pair, the code point of
    // one, and a code point appended as one unit or, above U+FFFF, as a pair.
    static bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
    static bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
    static char32_t FromSurrogates(char32_t high, char32_t low) {
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }
    static void AppendUtf16(std::u16string& out, char32_t code);
    // UTF-16 as UTF-8 and back; a lone surrogate, or bytes that are no UTF-8, become U+FFFD.
    static std::string Utf16ToUtf8(std::u16string_view text);
    static std::u16string Utf8ToUtf16(std::string_view text);

    // Windows-1252 bytes as UTF-8. The five bytes that code page leaves unassigned become the C1
    // control characters of the same value, as Windows itself converts them.
    static std::string FromWindows1252(std::string_view bytes);

    // The bytes as UTF-8 whichever of the two encodings they are in, without a leading UTF-8 byte
    // order mark.
    static std::string ToUtf8(std::string_view bytes);
};
