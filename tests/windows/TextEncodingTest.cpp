// Text read as UTF-8 or, when it is not well-formed UTF-8, as the Windows Western European code
// page.
#include "TextEncoding.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace std::string_literals;

TEST(TextEncoding, ToUtf8KeepsUtf8AndConvertsEverythingElse) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\xC3\xA9t\xC3\xBC\x64\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB5",
         "\xC3\xA9t\xC3\xBC\x64\x65 \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
        {"\xE9t\xFC\x64\x65", "\xC3\xA9t\xC3\xBC\x64\x65"},               // Latin-1 "étüde"
        {"\xC3", "\xC3\x83"},                                             // cut short
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                 // overlong "/"
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                 // a surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"}, // above U+10FFFF
        // The page's own signs between 0x80 and 0x9F: euro, quotes, dash; an unassigned byte
        // keeps its value as a control character.
        {"\x80\x93\x94\x96\x81\xFF",
         "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\x93\xC2\x81\xC3\xBF"},
        {"\xEF\xBB\xBFnotes", "notes"},
        {"a\0b"s, "a\0b"s},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_EQ(TextEncoding::ToUtf8(bytes), expected) << bytes;
    }
}

} // namespace
