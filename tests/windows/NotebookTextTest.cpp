// The notebook's bytes through a round trip: what a file shows, and the file after an edit, which
// keeps every byte of what the edit left alone.
#include "NotebookText.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

std::string Utf16(std::u16string_view text, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : text) {
        const char pair[] = {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
        bytes += little ? std::string{pair[1], pair[0]} : std::string{pair[0], pair[1]};
    }
    return bytes;
}

// What the case is about, the file's content, the notes shown, the notes after an edit, and the
// content written then.
using Case = std::tuple<const char*, std::string, std::u16string, std::u16string, std::string>;

TEST(NotebookTextTest, AnEditKeepsEveryByteItDidNotTouch) {
    const Case cases[] = {
        {"UTF-8 with one stray byte: the byte stays, and so do the accents",
         "\"\xC3\x9C"
         "bung f\xC3\xBCr Tonleitern\r\nTempo \xE9 90\r\nna\xC3\xAFve\"\r\n",
         u"\u00DCbung f\u00FCr Tonleitern\nTempo \uFFFD 90\nna\u00EFve",
         u"\u00DCbung f\u00FCr Tonleitern!\nTempo \uFFFD 90\nna\u00EFve",
         "\"\xC3\x9C"
         "bung f\xC3\xBCr Tonleitern!\r\nTempo \xE9 90\r\nna\xC3\xAFve\"\r\n"},
        {"no-break space, line and paragraph separators, lone CR, LF without CR",
         "\"a\xC2\xA0"
         "b\r\nc\xE2\x80\xA8"
         "d\xE2\x80\xA9"
         "e\rf\ng\"\r\n",
         u"a\u00A0b\nc\u2028d\ne\nf\ng", u"a\u00A0b!\nc\u2028d\ne\nf\ng",
         "\"a\xC2\xA0"
         "b!\r\nc\xE2\x80\xA8"
         "d\xE2\x80\xA9"
         "e\rf\ng\"\r\n"},
        {"a stray byte before the edit on its line stays", "\"\xC3\xA9 x\xE9y\"\r\n",
         u"\u00E9 x\uFFFDy", u"\u00E9 x\uFFFDyz", "\"\xC3\xA9 x\xE9yz\"\r\n"},
        {"an edit on a line of them keeps the rest of the line",
         "\"c\xE2\x80\xA8"
         "d\xEF\xB7\x90\xE2\x80\xA9"
         "e\"\r\n",
         u"c\u2028d\uFFFD\ne", u"C\u2028d\uFFFD\ne",
         "\"C\xE2\x80\xA8"
         "d\xEF\xB7\x90\xE2\x80\xA9"
         "e\"\r\n"},
        {"edits at both ends keep what lies between",
         "\"one\r\nmid\xE2\x80\xA9"
         "dle\rtwo\"\r\n",
         u"one\nmid\ndle\ntwo", u"ONE\nmid\ndle\ntwo, three",
         "\"ONE\r\nmid\xE2\x80\xA9"
         "dle\rtwo, three\"\r\n"},
        {"UTF-16 after its byte order mark, little-endian",
         Utf16(u"\"\u00C9tude\r\nzwei\"\r\n", true), u"\u00C9tude\nzwei", u"\u00C9tude!\nzwei",
         Utf16(u"\"\u00C9tude!\r\nzwei\"\r\n", true)},
        {"and big-endian, with a lone surrogate kept", Utf16(u"\"\xDC01x\"\r\n", false), u"\uFFFDx",
         u"\uFFFDxy", Utf16(u"\"\xDC01xy\"\r\n", false)},
        {"UTF-16 notes from another editor that begin beyond 16 bits", Utf16(u"\U0001F3B5 x", true),
         u"\U0001F3B5 x", u"\U0001F3B5 xy", Utf16(u"\"\U0001F3B5 xy\"\r\n", true)},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF\"x\"\r\n", u"x", u"xy",
         "\xEF\xBB\xBF\"xy\"\r\n"},
        {"an old file in Windows-1252 is written in UTF-8", "\"\xC9tude \x80\"\r\n",
         u"\u00C9tude \u20AC", u"\u00C9tude \u20AC!", "\"\xC3\x89tude \xE2\x82\xAC!\"\r\n"},
        {"notes from another editor take the notebook's layout", "Scales \"fast\"\nline2\n",
         u"Scales \"fast\"\nline2\n", u"Scales \"fast\"\nline2!\n",
         "\"Scales \"\"fast\"\"\nline2!\n\"\r\n"},
        {"one character beyond 16 bits for another with the same first half",
         "\"\xF0\x9F\x8E\xB5 x\"\r\n", u"\U0001F3B5 x", u"\U0001F3B6 x",
         "\"\xF0\x9F\x8E\xB6 x\"\r\n"},
        {"blanks around the field stay", "  \"x\" \r\n\r\n", u"x", u"", "  \"\" \r\n\r\n"},
    };
    for (const auto& [what, content, shown, edited, written] : cases) {
        SCOPED_TRACE(what);
        const NotebookText notes(content);
        EXPECT_EQ(notes.Shown(), shown);
        EXPECT_EQ(notes.ContentWith(shown), content) << "untouched notes come back unchanged";
        EXPECT_EQ(notes.ContentWith(edited), written);
        EXPECT_EQ(NotebookText(written).Shown(), edited) << "what was typed comes back";
    }
    // Half a character typed without its other half is written as a replacement character.
    EXPECT_EQ(NotebookText("\"x\"\r\n").ContentWith(u"x\xD83Dy"), "\"x\xEF\xBF\xBDy\"\r\n");
}

} // namespace
