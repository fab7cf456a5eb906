// The validity check and the acceptance of a text as the current rhythm.
#include "CTrackList.h"
#include "CursorSteps.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

bool Valid(const std::string& text) {
    CTrackList track;
    track.Rhithm(text);
    return track.LastCheck() == 1;
}

// Which texts the check accepts: a sound symbol before the body's last character, symbols and
// rests inside information texts not counting, markers bounding the body, brackets the cursor
// can follow (at most eight levels), and no group without a step.
TEST(RhythmCheck, AcceptsExactlyThePlayableTexts) {
    const std::pair<const char*, bool> cases[] = {{"4 xx", true},
                                                  {"4 x", false},
                                                  {"x", false},
                                                  {"", false},
                                                  {"/a/ 4 x", false},
                                                  {"4 xx /a", true},
                                                  {"x ", true},
                                                  {"4 .x.", true},
                                                  {"4 .x", false},
                                                  {"4 ....", false},
                                                  {"4 ....x.", true},
                                                  {"/xx/ .", false},
                                                  {"4 /xx xx", false},
                                                  {"4 /xx/ x", false},
                                                  {"4 /xx/ x ", true},
                                                  {"4 /xx/", false},
                                                  {"4 xx>", false},
                                                  {"a<b>c xx", false},
                                                  {"<4 xx", false},
                                                  {">", false},
                                                  {"4 (xx", false},
                                                  {"4 xx /(/", false},
                                                  {"4 /)/ (x) /(/ x", true},
                                                  {"4 (xx)", true},
                                                  {"4 )xx(", false},
                                                  {"4 x)x(x", false},
                                                  {"4 (xx /)/", false},
                                                  {"4 (x /a)", false},
                                                  {"4 ((((((((x))))))))", true},
                                                  {"4 (((((((((x)))))))))", false},
                                                  {"4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)", true},
                                                  {"4 xx ()0", false},
                                                  {"4 xx ()", false},
                                                  {"4 xx (())", false},
                                                  {"4 xx (x())", false},
                                                  {"4 xx (/x/)0", false},
                                                  {"4 xx (8 16)3", false},
                                                  {"4 xx (+5 -5)", false},
                                                  {"4 xx (.)3", true},
                                                  {"4 xx ((x))", true}};
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(Valid(text), valid) << text;
    }
    for (const char* sound : {"X", "'", "#", "^"}) {
        EXPECT_TRUE(Valid(std::string("4 ") + sound + " ")) << sound;
    }
}

TEST(RhythmCheck, MarkersBoundTheBodyWithoutRegardForInformationTexts) {
    CTrackList lead = Accepted(">4 xx");
    EXPECT_EQ(lead.CurPos(), 2);

    CTrackList both = Accepted("a>b>4 xx<c<d");
    ASSERT_EQ(both.LastCheck(), 1);
    EXPECT_EQ(both.Rhithm(), "a>b>4 xx  <c<d");
    EXPECT_EQ(both.CurPos(), 5);

    // The "<" inside the information text ends the body.
    CTrackList info = Accepted("4 xx /note<x/");
    ASSERT_EQ(info.LastCheck(), 1);
    EXPECT_EQ(info.Rhithm(), "4 xx /note  <x/");
    EXPECT_EQ(Sounds(info, 3), "xxx");
    EXPECT_EQ(info.CurInfo(), "note ");
}

TEST(RhythmCheck, NumbersAfterAGroupEndBeforeTheBlankTailArePlayable) {
    CTrackList twelve = Accepted("4 (xx)12");
    ASSERT_EQ(twelve.LastCheck(), 1);
    EXPECT_EQ(Sounds(twelve, 24), std::string(24, 'x'));
    twelve.StepForward();
    EXPECT_TRUE(twelve.EndReach());

    CTrackList most = Accepted("4 (x')999");
    ASSERT_EQ(most.LastCheck(), 1);
    for (int i = 0; i < 1998; ++i) {
        most.StepForward();
        ASSERT_FALSE(most.EndReach()) << i;
    }
    most.StepForward();
    EXPECT_TRUE(most.EndReach());

    // A fourth digit after a group end is a duration number.
    CTrackList fourth = Accepted("4 (x)0018 x");
    ASSERT_EQ(fourth.LastCheck(), 1);
    const std::vector<CursorStep> steps = Steps(fourth, 2);
    EXPECT_EQ(steps[0].duration, 4);
    EXPECT_EQ(steps[1].sound, "x");
    EXPECT_EQ(steps[1].duration, 8);
}

TEST(RhythmAcceptance, TwoBlanksCloseTheBodyBeforeTheSuffix) {
    struct Case {
        const char* given;
        const char* stored;
    };
    for (const Case& c : {
             Case{"4 xxxx (xxxx xxxx xxxx xxxx)0", "4 xxxx (xxxx xxxx xxxx xxxx)0  "},
             Case{"8 xx xx xx xx", "8 xx xx xx xx  "},
             Case{"8x^x^x^xx", "8x^x^x^xx  "},
             Case{"4 xx  ", "4 xx  "},
             Case{"4 xx ", "4 xx   "},
             Case{"Scale>8 xx<coda", "Scale>8 xx  <coda"},
             Case{"8 xx  <c", "8 xx  <c"},
         }) {
        CTrackList track = Accepted(c.given);
        EXPECT_EQ(track.LastCheck(), 1) << c.given;
        EXPECT_EQ(track.Rhithm(), c.stored) << c.given;
    }
    EXPECT_EQ(Accepted("4 xxxx (xxxx xxxx xxxx xxxx)0").Rhithm().size(), 31u);
}

TEST(RhythmAcceptance, RejectedTextLeavesEverythingButLastCheckUnchanged) {
    for (const char* bad : {"", "x", "4 x", "4 (xx", "4 )xx(", "4 xx ()0", "4 (xx /)/", "4 xx>",
                            "4 (((((((((x)))))))))", "4 ...."}) {
        CTrackList track = Accepted("Lead>8 /a/ (x'x^)3 +10 #<tail");
        ASSERT_EQ(track.LastCheck(), 1);
        Steps(track, 4);
        track.Push();
        CTrackList untouched = track;

        track.Rhithm(bad);
        EXPECT_EQ(track.LastCheck(), 0) << bad;
        EXPECT_EQ(track.Rhithm(), untouched.Rhithm()) << bad;
        EXPECT_EQ(Observe(track), Observe(untouched)) << bad;
        // Body bounds, groups and bookmark are intact: the run continues as it would have.
        EXPECT_EQ(Steps(track, 30), Steps(untouched, 30)) << bad;
        track.Pop();
        untouched.Pop();
        EXPECT_EQ(Steps(track, 10), Steps(untouched, 10)) << bad;
    }
}

TEST(RhythmAcceptance, OverlongTextIsRefused) {
    std::string text(CTrackList::MaxTextLength + 1, 'x');
    CTrackList track;
    track.Rhithm(text);
    EXPECT_EQ(track.LastCheck(), 0);
    text.resize(1000);
    track.Rhithm(text);
    EXPECT_EQ(track.LastCheck(), 1);
}

} // namespace
