#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The notes of one notebook file: the text the notebook shows, and the file's content after an edit
// of that text. Whatever the edit left alone is written back as the file had it, including what the
// text box cannot hold: a byte that is not UTF-8 is shown as U+FFFD and written back as the byte; a
// paragraph separator (U+2029), a lone CR, an LF without CR and the noncharacters U+FDD0 and U+FDD1
// are shown as the text box would turn them (a line break, U+FFFD) and written back as they were.
//
// The file is read in its own encoding and written back in it: UTF-16 after its byte order mark,
// UTF-8 with or without one, where a stray byte that is no UTF-8 stays a byte; a file whose bytes
// are mostly not UTF-8 is an old one in Windows-1252, and is written back in UTF-8. Written back,
// the notes always take the notebook's layout: one field in double quotes followed by CR LF, a
// quote inside written doubled. A file in that layout gives its field; any other that is not blank
// (notes from another editor) gives all of its text. New line breaks are CR LF.
class NotebookText {
public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16LE, Utf16BE, Windows1252 };

    // The notes of a file that does not exist yet: empty, UTF-8, and nothing to keep.
    NotebookText();
    explicit NotebookText(std::string_view content);

    // What the text box shows, with "\n" line breaks.
    const std::u16string& Shown() const { return shown; }
    Encoding FileEncoding() const { return encoding; }

    // The file's content with edited in place of Shown(). Characters that the edit kept, found by
    // comparing the two texts line by line and then within each changed stretch, keep the bytes
    // they had; the content itself comes back when nothing changed.
    std::string ContentWith(std::u16string_view edited) const;

private:
    // A code point, or, at RawByte and above, a byte of the file that encodes none.
    using Atom = char32_t;
    static constexpr Atom RawByte = 0x110000;

    void Split(const std::u32string& atoms);
    void Show(std::u32string_view field);
    void AppendKept(std::u32string& out, std::size_t from, std::size_t to) const;
    std::string Encode(std::u32string_view atoms) const;

    std::string original;
    bool existed = false;
    Encoding encoding = Encoding::Utf8;
    // The file as atoms around the field: what comes before the field's text (blanks and the
    // opening quote) and after it; the field's text with quotes single.
    std::u32string head;
    std::u32string field;
    std::u32string tail;
    std::u16string shown;
    // Unit i of shown came from field[from[i]] up to field[from[i + 1]]; the second unit of a
    // surrogate pair came from nothing.
    std::vector<std::uint32_t> from;
};
