#include "NotebookText.h"

#include "TextEncoding.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace {

constexpr char32_t Replacement = 0xFFFD;
constexpr char32_t ParagraphSeparator = 0x2029;

bool IsHigh(char32_t unit) {
    return TextEncoding::IsHighSurrogate(unit);
}

bool IsLow(char32_t unit) {
    return TextEncoding::IsLowSurrogate(unit);
}

bool IsBlank(char32_t atom) {
    return atom == ' ' || atom == '\t' || atom == '\r' || atom == '\n';
}

// The lines of a text, each with the "\n" that ends it; the last one may have none.
std::vector<std::u16string_view> Lines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(u'\n');
        const std::size_t length = end == std::u16string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// More edits than this between the two texts' lines are taken as one changed stretch; the search
// costs memory by the square of the edits.
constexpr int MaxLineEdits = 2000;

// The lines the two texts share, as pairs of line numbers in ascending order: a longest common
// subsequence (Myers' greedy search) of the lines between the unchanged beginning and end.
std::vector<std::pair<std::size_t, std::size_t>>
CommonLines(const std::vector<std::u16string_view>& a, const std::vector<std::u16string_view>& b) {
    std::vector<std::pair<std::size_t, std::size_t>> common;
    std::size_t front = 0;
    while (front < a.size() && front < b.size() && a[front] == b[front]) {
        common.emplace_back(front, front);
        ++front;
    }
    std::size_t back = 0;
    while (back < a.size() - front && back < b.size() - front &&
           a[a.size() - 1 - back] == b[b.size() - 1 - back]) {
        ++back;
    }
    // The lines between, numbered by their text so that comparing them is cheap.
    std::unordered_map<std::u16string_view, int> numbers;
    auto numbered = [&](const std::vector<std::u16string_view>& lines) {
        std::vector<int> ids;
        for (std::size_t i = front; i < lines.size() - back; ++i) {
            ids.push_back(
                numbers.emplace(lines[i], static_cast<int>(numbers.size())).first->second);
        }
        return ids;
    };
    const std::vector<int> x = numbered(a);
    const std::vector<int> y = numbered(b);
    const int n = static_cast<int>(x.size());
    const int m = static_cast<int>(y.size());
    const int limit = std::min(n + m, MaxLineEdits);
    std::vector<int> v(2 * static_cast<std::size_t>(limit) + 3, 0);
    const int offset = limit + 1;
    // trace[d] holds v for k = -d, -d + 2, ..., d after d edits.
    std::vector<std::vector<int>> trace;
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int i = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                        ? v[offset + k + 1]
                        : v[offset + k - 1] + 1;
            int j = i - k;
            while (i < n && j < m && x[i] == y[j]) {
                ++i;
                ++j;
            }
            v[offset + k] = i;
            if (i >= n && j >= m) {
                found = d;
            }
        }
        std::vector<int>& row = trace.emplace_back();
        for (int k = -d; k <= d; k += 2) {
            row.push_back(v[offset + k]);
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> middle;
    if (found >= 0) {
        int i = n;
        int j = m;
        for (int d = found; d > 0; --d) {
            const std::vector<int>& previous = trace[d - 1];
            auto at = [&](int k) { return previous[static_cast<std::size_t>((k + d - 1) / 2)]; };
            const int k = i - j;
            const int fromK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
            const int fromI = at(fromK);
            const int fromJ = fromI - fromK;
            while (i > fromI && j > fromJ) {
                --i;
                --j;
                middle.emplace_back(front + i, front + j);
            }
            i = fromI;
            j = fromJ;
        }
        while (i > 0 && j > 0) {
            --i;
            --j;
            middle.emplace_back(front + i, front + j);
        }
    }
    common.insert(common.end(), middle.rbegin(), middle.rend());
    for (std::size_t k = back; k > 0; --k) {
        common.emplace_back(a.size() - k, b.size() - k);
    }
    return common;
}

// New text typed into the box, as atoms of the file: line breaks as CR LF.
void AppendNew(std::u32string& out, std::u16string_view units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit == u'\n') {
            out += U"\r\n";
        } else if (IsHigh(unit) && i + 1 < units.size() && IsLow(units[i + 1])) {
            out += TextEncoding::FromSurrogates(unit, units[i + 1]);
            ++i;
        } else if (IsHigh(unit) || IsLow(unit)) {
            out += Replacement;
        } else {
            out += unit;
        }
    }
}

std::u32string Quoted(std::u32string_view text) {
    std::u32string quoted;
    quoted.reserve(text.size());
    for (const char32_t atom : text) {
        quoted += atom;
        if (atom == '"') {
            quoted += '"';
        }
    }
    return quoted;
}

} // namespace

NotebookText::NotebookText()
    : head(U"\"")
    , tail(U"\"\r\n")
    , from{0} {}

NotebookText::NotebookText(std::string_view content)
    : original(content)
    , existed(true) {
    std::u32string atoms;
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
        const bool little = content[0] == '\xFF';
        encoding = little ? Encoding::Utf16LE : Encoding::Utf16BE;
        const std::string_view bytes = content.substr(2);
        auto unitAt = [&](std::size_t at) {
            const auto first = static_cast<unsigned char>(bytes[at]);
            const auto second = static_cast<unsigned char>(bytes[at + 1]);
            return static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
        };
        std::size_t at = 0;
        for (; at + 1 < bytes.size(); at += 2) {
            const char16_t unit = unitAt(at);
            if (IsHigh(unit) && at + 3 < bytes.size() && IsLow(unitAt(at + 2))) {
                atoms += TextEncoding::FromSurrogates(unit, unitAt(at + 2));
                at += 2;
            } else {
                atoms += unit; // a lone surrogate goes back as the unit it was
            }
        }
        if (at < bytes.size()) {
            atoms += RawByte + static_cast<unsigned char>(bytes[at]);
        }
    } else {
        std::string_view bytes = content;
        if (bytes.starts_with("\xEF\xBB\xBF")) {
            encoding = Encoding::Utf8WithBom;
            bytes.remove_prefix(3);
        }
        // Characters of more than one byte against bytes that are no UTF-8: an old 8-bit file has
        // hardly any of the first, UTF-8 notes with a stray byte many.
        std::size_t wide = 0;
        std::size_t stray = 0;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t length = TextEncoding::Utf8Sequence(bytes, at);
            wide += length > 1 ? 1 : 0;
            stray += length == 0 ? 1 : 0;
            at += std::max<std::size_t>(length, 1);
        }
        if (encoding == Encoding::Utf8 && stray > wide) {
            encoding = Encoding::Windows1252;
            for (const char byte : bytes) {
                atoms += TextEncoding::Windows1252(static_cast<unsigned char>(byte));
            }
        } else {
            for (std::size_t at = 0; at < bytes.size();) {
                char32_t code = 0;
                const std::size_t length = TextEncoding::Utf8Sequence(bytes, at, &code);
                atoms += length == 0 ? RawByte + static_cast<unsigned char>(bytes[at]) : code;
                at += std::max<std::size_t>(length, 1);
            }
        }
    }
    Split(atoms);
    Show(field);
}

// The notebook's layout gives its field; anything else that is not blank is all text.
void NotebookText::Split(const std::u32string& atoms) {
    head = U"\"";
    tail = U"\"\r\n";
    if (std::all_of(atoms.begin(), atoms.end(), IsBlank)) {
        return;
    }
    const std::size_t open = atoms.find_first_not_of(U" \t");
    if (atoms[open] == '"') {
        std::u32string text;
        for (std::size_t at = open + 1; at < atoms.size(); ++at) {
            if (atoms[at] != '"') {
                text += atoms[at];
            } else if (at + 1 < atoms.size() && atoms[at + 1] == '"') {
                text += '"';
                ++at;
            } else if (std::all_of(atoms.begin() + static_cast<std::ptrdiff_t>(at) + 1, atoms.end(),
                                   IsBlank)) {
                head = atoms.substr(0, open + 1);
                field = std::move(text);
                tail = atoms.substr(at);
                return;
            } else {
                break;
            }
        }
    }
    field = atoms;
}

void NotebookText::Show(std::u32string_view text) {
    shown.clear();
    from.clear();
    shown.reserve(text.size());
    from.reserve(text.size() + 1);
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char32_t atom = text[at];
        from.push_back(static_cast<std::uint32_t>(at));
        if (atom == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
            shown += u'\n';
            ++at;
        } else if (atom == '\r' || atom == ParagraphSeparator) {
            // The text box would make either a line break of its own.
            shown += u'\n';
        } else if (atom >= RawByte || atom == 0xFDD0 || atom == 0xFDD1 || IsHigh(atom) ||
                   IsLow(atom)) {
            shown += static_cast<char16_t>(Replacement);
        } else {
            TextEncoding::AppendUtf16(shown, atom);
            if (atom >= 0x10000) {
                from.push_back(static_cast<std::uint32_t>(at + 1));
            }
        }
    }
    from.push_back(static_cast<std::uint32_t>(text.size()));
}

void NotebookText::AppendKept(std::u32string& out, std::size_t begin, std::size_t end) const {
    out.append(field, from[begin], from[end] - from[begin]);
}

std::string NotebookText::ContentWith(std::u16string_view edited) const {
    if (existed && edited == shown) {
        return original;
    }
    const std::vector<std::u16string_view> before = Lines(shown);
    const std::vector<std::u16string_view> after = Lines(edited);
    std::vector<std::size_t> beforeAt{0};
    for (const std::u16string_view line : before) {
        beforeAt.push_back(beforeAt.back() + line.size());
    }
    std::vector<std::size_t> afterAt{0};
    for (const std::u16string_view line : after) {
        afterAt.push_back(afterAt.back() + line.size());
    }
    std::u32string text;
    text.reserve(field.size() + edited.size());
    // A stretch that changed: what it begins and ends with unchanged keeps its atoms too.
    auto changed = [&](std::size_t oldBegin, std::size_t oldEnd, std::size_t newBegin,
                       std::size_t newEnd) {
        const std::size_t shorter = std::min(oldEnd - oldBegin, newEnd - newBegin);
        std::size_t same = 0;
        while (same < shorter && shown[oldBegin + same] == edited[newBegin + same]) {
            ++same;
        }
        if (same > 0 && IsHigh(shown[oldBegin + same - 1])) {
            --same;
        }
        std::size_t sameEnd = 0;
        while (sameEnd < shorter - same &&
               shown[oldEnd - 1 - sameEnd] == edited[newEnd - 1 - sameEnd]) {
            ++sameEnd;
        }
        if (sameEnd > 0 && IsLow(shown[oldEnd - sameEnd])) {
            --sameEnd;
        }
        AppendKept(text, oldBegin, oldBegin + same);
        AppendNew(text, edited.substr(newBegin + same, newEnd - sameEnd - newBegin - same));
        AppendKept(text, oldEnd - sameEnd, oldEnd);
    };
    std::size_t oldLine = 0;
    std::size_t newLine = 0;
    std::vector<std::pair<std::size_t, std::size_t>> common = CommonLines(before, after);
    common.emplace_back(before.size(), after.size());
    for (const auto& [oldMatch, newMatch] : common) {
        if (oldMatch > oldLine || newMatch > newLine) {
            changed(beforeAt[oldLine], beforeAt[oldMatch], afterAt[newLine], afterAt[newMatch]);
        }
        if (oldMatch < before.size()) {
            AppendKept(text, beforeAt[oldMatch], beforeAt[oldMatch + 1]);
        }
        oldLine = oldMatch + 1;
        newLine = newMatch + 1;
    }
    std::string content;
    switch (encoding) {
    case Encoding::Utf8WithBom:
        content = "\xEF\xBB\xBF";
        break;
    case Encoding::Utf16LE:
        content = "\xFF\xFE";
        break;
    case Encoding::Utf16BE:
        content = "\xFE\xFF";
        break;
    default:
        break;
    }
    return content + Encode(head) + Encode(Quoted(text)) + Encode(tail);
}

std::string NotebookText::Encode(std::u32string_view atoms) const {
    std::string bytes;
    bytes.reserve(atoms.size());
    const bool utf16 = encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE;
    std::u16string units;
    for (const char32_t atom : atoms) {
        if (atom >= RawByte) {
            bytes += static_cast<char>(atom - RawByte);
        } else if (!utf16) {
            // A lone surrogate can only have come from a UTF-16 file.
            TextEncoding::AppendUtf8(bytes, IsHigh(atom) || IsLow(atom) ? Replacement : atom);
        } else {
            units.clear();
            TextEncoding::AppendUtf16(units, atom);
            for (const char16_t unit : units) {
                const auto high = static_cast<char>(unit >> 8);
                const auto low = static_cast<char>(unit & 0xFF);
                bytes += encoding == Encoding::Utf16LE ? low : high;
                bytes += encoding == Encoding::Utf16LE ? high : low;
            }
        }
    }
    return bytes;
}
