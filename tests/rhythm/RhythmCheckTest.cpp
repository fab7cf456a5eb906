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

TEST(RhythmCheck, SoundSymbolMustStandBeforeTheBodysLastCharacter) {
    EXPECT_TRUE(Valid("4 xx"));
    EXPECT_FALSE(Valid("4 x"));
    EXPECT_FALSE(Valid("x"));
    EXPECT_FALSE(Valid(""));
    EXPECT_FALSE(Valid("/a/ 4 x"));
    EXPECT_TRUE(Valid("4 xx /a"));
    EXPECT_TRUE(Valid("x "));
    EXPECT_TRUE(Valid("4 .x."));
    EXPECT_FALSE(Valid("4 .x"));
    for (const char* sound : {"X", "'", "#", "^"}) {
        EXPECT_TRUE(Valid(std::string("4 ") + sound + " ")) << sound;
    }
}

TEST(RhythmCheck, RestsAndSymbolsInsideInformationTextsDoNotCount) {
    EXPECT_FALSE(Valid("4 ...."));
    EXPECT_TRUE(Valid("4 ....x."));
    EXPECT_FALSE(Valid("/xx/ ."));
    EXPECT_FALSE(Valid("4 /xx xx")); // an open information text swallows the rest
    EXPECT_FALSE(Valid("4 /xx/ x")); // the closing slash is read, the x is the last character
    EXPECT_TRUE(Valid("4 /xx/ x "));
    EXPECT_FALSE(Valid("4 /xx/"));
}

TEST(RhythmCheck, MarkersBoundTheBodyWithoutRegardForInformationTexts) {
    EXPECT_FALSE(Valid("4 xx>"));
    EXPECT_FALSE(Valid("a<b>c xx"));
    EXPECT_FALSE(Valid("<4 xx"));
    EXPECT_FALSE(Valid(">"));

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

TEST(RhythmCheck, BalanceCountsBracketsInsideInformationTexts) {
    EXPECT_FALSE(Valid("4 (xx"));
    EXPECT_FALSE(Valid("4 xx /(/"));
    EXPECT_TRUE(Valid("4 /)/ (x) /(/ x"));
    EXPECT_TRUE(Valid("4 (xx)"));
}

TEST(RhythmCheck, RefusesBracketsTheCursorCannotFollow) {
    EXPECT_FALSE(Valid("4 )xx("));
    EXPECT_FALSE(Valid("4 x)x(x"));
    // The ")" inside the information text balances the count, yet the cursor would open one
    // more group on every pass.
    EXPECT_FALSE(Valid("4 (xx /)/"));
    EXPECT_FALSE(Valid("4 (x /a)")); // an open information text takes the ")" too
    EXPECT_TRUE(Valid("4 ((((((((x))))))))"));
    EXPECT_FALSE(Valid("4 (((((((((x)))))))))"));
    EXPECT_TRUE(Valid("4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)"));
}

TEST(RhythmCheck, RefusesGroupsWithoutAStep) {
    EXPECT_FALSE(Valid("4 xx ()0"));
    EXPECT_FALSE(Valid("4 xx ()"));
    EXPECT_FALSE(Valid("4 xx (())"));
    EXPECT_FALSE(Valid("4 xx (x())"));
    EXPECT_FALSE(Valid("4 xx (/x/)0"));
    EXPECT_FALSE(Valid("4 xx (8 16)3"));
    EXPECT_FALSE(Valid("4 xx (+5 -5)"));
    EXPECT_TRUE(Valid("4 xx (.)3"));
    EXPECT_TRUE(Valid("4 xx ((x))"));
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

TEST(RhythmAcceptance, WritingTheStoredTextBackChangesNothingAndRestarts) {
    CTrackList track = Accepted("Intro>8 x'x'x'x'<end");
    const std::string stored = track.Rhithm();
    const std::vector<CursorStep> first = Steps(track, 5);
    track.Rhithm(track.Rhithm());
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), stored);
    EXPECT_EQ(track.CurPos(), 7);
    EXPECT_EQ(track.CurDuration(), 4);
    EXPECT_EQ(Steps(track, 5), first);
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

TEST(RhythmAcceptance, LastCheckFollowsTheLatestText) {
    CTrackList track;
    EXPECT_EQ(track.LastCheck(), 0);
    EXPECT_TRUE(track.Rhithm().empty());
    track.Rhithm("4 xx");
    EXPECT_EQ(track.LastCheck(), 1);
    track.Rhithm("4 x");
    EXPECT_EQ(track.LastCheck(), 0);
    EXPECT_EQ(track.Rhithm(), "4 xx  ");
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
