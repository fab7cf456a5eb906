#pragma once

#include <string>
#include <string_view>

// Text files may come as UTF-8 or in the Windows code page of older installations (1252, Western
// European). Inside the program text is UTF-8.
class TextEncoding {
public:
    // Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool IsUtf8(std::string_view bytes);

    // Windows-1252 bytes as UTF-8. The five bytes that code page leaves unassigned become the C1
    // control characters of the same value, as Windows itself converts them.
    static std::string FromWindows1252(std::string_view bytes);

    // The bytes as UTF-8 whichever of the two encodings they are in, without a leading UTF-8 byte
    // order mark.
    static std::string ToUtf8(std::string_view bytes);
};
