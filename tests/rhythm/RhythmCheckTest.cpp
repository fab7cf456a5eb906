// The validity check and the acceptance of a text as the current rhythm.
#include "CTrackList.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// Which texts the check accepts: a sound symbol before the body's last character, symbols and
// rests inside information texts not counting, markers bounding the body, brackets the cursor
// can follow (at most eight levels), and no group without a step. An accepted text is stored with
// two blanks closing its body. Refused texts are marked by a null.
TEST(RhythmCheck, AcceptsExactlyThePlayableTexts) {
    const std::pair<const char*, const char*> cases[] = {
        {"4 xxxx (xxxx xxxx xxxx xxxx)0", "4 xxxx (xxxx xxxx xxxx xxxx)0  "},
        {"4 xx  ", "4 xx  "},
        {"Scale>8 xx<coda", "Scale>8 xx  <coda"},
        {"a>b>4 xx<c<d", "a>b>4 xx  <c<d"},
        {"4 xx /note<x/", "4 xx /note  <x/"},
        {"4 X ", "4 X   "},
        {"4 x", nullptr},
        {"", nullptr},
        {"/a/ 4 x", nullptr},
        {"4 xx /a", "4 xx /a  "},
        {"4 .x.", "4 .x.  "},
        {"4 .x", nullptr},
        {"4 /xx xx", nullptr},
        {"4 /xx/ x", nullptr},
        {"4 /xx/ x ", "4 /xx/ x   "},
        {"4 xx>", nullptr},
        {"a<b>c xx", nullptr},
        {"<4 xx", nullptr},
        {"4 (xx", nullptr},
        {"4 xx /(/", nullptr},
        {"4 /)/ (x) /(/ x", "4 /)/ (x) /(/ x  "},
        {"4 )xx(", nullptr},
        {"4 (x /a)", nullptr},
        {"4 ((((((((x))))))))", "4 ((((((((x))))))))  "},
        {"4 (((((((((x)))))))))", nullptr},
        {"4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)", "4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)  "},
        {"4 xx ()0", nullptr},
        {"4 xx (x())", nullptr},
        {"4 xx (/x/)0", nullptr},
        {"4 xx (8 16)3", nullptr},
        {"4 xx (.)3", "4 xx (.)3  "},
    };
    for (const auto& [text, stored] : cases) {
        CTrackList track;
        track.Rhithm(text);
        EXPECT_EQ(track.LastCheck(), stored ? 1 : 0) << text;
        EXPECT_EQ(track.Rhithm(), stored ? stored : "") << text;
    }
}

TEST(RhythmCheck, OverlongTextIsRefused) {
    CTrackList track;
    track.Rhithm(std::string(CTrackList::MaxTextLength + 1, 'x'));
    EXPECT_EQ(track.LastCheck(), 0);
    track.Rhithm(std::string(CTrackList::MaxTextLength, 'x'));
    EXPECT_EQ(track.LastCheck(), 1);
}

} // namespace
