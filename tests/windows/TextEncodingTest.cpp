// Text read as UTF-8 or as the Windows Western European code page.
#include "TextEncoding.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::string_literals;

TEST(TextEncoding, WellFormedUtf8Only) {
    EXPECT_TRUE(TextEncoding::IsUtf8(""));
    EXPECT_TRUE(TextEncoding::IsUtf8("plain 4 xx"));
    EXPECT_TRUE(TextEncoding::IsUtf8("\xC3\xA9t\xC3\xBC\x64\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB5"));
    EXPECT_FALSE(TextEncoding::IsUtf8("\xE9t\xFC\x64\x65")); // Latin-1 "étüde"
    EXPECT_FALSE(TextEncoding::IsUtf8("\xC3"));              // cut short
    EXPECT_FALSE(TextEncoding::IsUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(TextEncoding::IsUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(TextEncoding::IsUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(TextEncoding::IsUtf8("\x80"));              // a lone continuation
}

TEST(TextEncoding, Windows1252BecomesUtf8) {
    EXPECT_EQ(TextEncoding::FromWindows1252("\xE9t\xFC\x64\x65"), "\xC3\xA9t\xC3\xBC\x64\x65");
    // The page's own letters and signs between 0x80 and 0x9F: euro, quotes, dash.
    EXPECT_EQ(TextEncoding::FromWindows1252("\x80\x93\x94\x96"),
              "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\x93");
    // An unassigned byte keeps its value as a control character.
    EXPECT_EQ(TextEncoding::FromWindows1252("\x81"), "\xC2\x81");
    EXPECT_EQ(TextEncoding::FromWindows1252("\xFF"), "\xC3\xBF");
}

TEST(TextEncoding, ToUtf8PicksTheEncodingAndDropsTheByteOrderMark) {
    EXPECT_EQ(TextEncoding::ToUtf8("\xC3\xA9"), "\xC3\xA9");
    EXPECT_EQ(TextEncoding::ToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(TextEncoding::ToUtf8("\xEF\xBB\xBFnotes"), "notes");
    EXPECT_EQ(TextEncoding::ToUtf8("a\0b"s), "a\0b"s);
}

} // namespace
