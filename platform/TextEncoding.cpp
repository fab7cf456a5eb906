#include "TextEncoding.h"

#include <array>
#include <cstdint>

namespace {

// Code points of 0x80 … 0x9F in Windows-1252; the rest of the page equals Latin-1.
constexpr std::array<char32_t, 32> HighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// What a lead byte announces: the sequence's length, the smallest code point it may carry (anything
// below is overlong), and the lead's own bits of the code point. A length of 0 is no lead byte.
struct Lead {
    std::size_t length = 0;
    char32_t low = 0;
    char32_t bits = 0;
};

Lead ReadLead(unsigned char byte) {
    if (byte < 0x80) {
        return {1, 0, byte};
    }
    if ((byte & 0xE0) == 0xC0) {
        return {2, 0x80, byte & 0x1Fu};
    }
    if ((byte & 0xF0) == 0xE0) {
        return {3, 0x800, byte & 0x0Fu};
    }
    if ((byte & 0xF8) == 0xF0) {
        return {4, 0x10000, byte & 0x07u};
    }
    return {};
}

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

std::size_t TextEncoding::Utf8Sequence(std::string_view bytes, std::size_t at, char32_t* out) {
    const Lead lead = ReadLead(static_cast<unsigned char>(bytes[at]));
    const std::size_t length = lead.length;
    char32_t code = lead.bits;
    if (length == 0) {
        return 0;
    }
    if (bytes.size() - at < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(bytes[at + k]);
        if (!IsContinuation(byte)) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    if (code < lead.low || surrogate || code > 0x10FFFF) {
        return 0;
    }
    if (out != nullptr) {
        *out = code;
    }
    return length;
}

void TextEncoding::AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char32_t TextEncoding::Windows1252(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? HighControls[byte - 0x80] : byte;
}

void TextEncoding::AppendUtf16(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
        out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
}

std::string TextEncoding::Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char32_t code = text[at];
        if (IsHighSurrogate(code) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            code = FromSurrogates(code, text[++at]);
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code)) {
            code = 0xFFFD;
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::u16string TextEncoding::Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0xFFFD;
        const std::size_t length = Utf8Sequence(text, at, &code);
        AppendUtf16(out, code);
        at += length == 0 ? 1 : length;
    }
    return out;
}

bool TextEncoding::IsUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8Sequence(bytes, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string TextEncoding::FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        AppendUtf8(out, Windows1252(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string TextEncoding::ToUtf8(std::string_view bytes) {
    if (IsUtf8(bytes)) {
        if (bytes.starts_with(ByteOrderMark)) {
            bytes.remove_prefix(ByteOrderMark.size());
        }
        return std::string(bytes);
    }
    return FromWindows1252(bytes);
}
