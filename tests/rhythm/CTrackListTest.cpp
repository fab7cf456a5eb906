// The rhythm text: which texts are accepted and how they are stored, and walking a rhythm step by
// step: durations, groups, tempo steps, information texts, the pass restart and the look-ahead
// bookmark.
#include "CTrackList.h"

#include "CursorSteps.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>

namespace {

// Which texts the check accepts, and how they are stored: two blanks close an accepted text's body.
// What it refuses, and why, is the next test's.
TEST(RhythmCheck, AcceptsThePlayableTextsWithTwoBlanksClosingTheBody) {
    const std::pair<const char*, const char*> cases[] = {
        {"4 xxxx (xxxx xxxx xxxx xxxx)0", "4 xxxx (xxxx xxxx xxxx xxxx)0  "},
        {"4 xx  ", "4 xx  "},
        {"Scale>8 xx<coda", "Scale>8 xx  <coda"},
        {"a>b>4 xx<c<d", "a>b>4 xx  <c<d"},
        {"4 xx /note<x/", "4 xx /note  <x/"},
        {"4 X ", "4 X   "},
        {"4 xx /a", "4 xx /a  "},
        {"4 .x.", "4 .x.  "},
        {"4 /xx/ x ", "4 /xx/ x   "},
        {"4 /)/ (x) /(/ x", "4 /)/ (x) /(/ x  "},
        {"4 ((((((((x))))))))", "4 ((((((((x))))))))  "},
        {"4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)", "4 (x)(x)(x)(x)(x)(x)(x)(x)(x)(x)  "},
        {"4 xx (.)3", "4 xx (.)3  "},
    };
    for (const auto& [text, stored] : cases) {
        CTrackList track;
        track.Rhithm(text);
        EXPECT_EQ(track.LastCheck(), 1) << text;
        EXPECT_EQ(track.Rhithm(), stored) << text;
    }
}

TEST(RhythmCheck, OverlongTextIsRefused) {
    CTrackList track;
    track.Rhithm(std::string(CTrackList::MaxTextLength + 1, 'x'));
    EXPECT_EQ(track.LastCheck(), 0);
    EXPECT_EQ(track.CheckProblem(), "The text is longer than 16777216 characters.");
    track.Rhithm(std::string(CTrackList::MaxTextLength, 'x'));
    EXPECT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.CheckProblem(), "");
}

// A refused text leaves the rhythm before it and says in one line what is wrong with it, and
// where, so that the player can mend it: a sound symbol before the body's last character, symbols
// and rests inside information texts not counting, markers bounding the body, brackets the cursor
// can follow (at most eight levels), and no group without a step.
TEST(RhythmCheck, ARefusedTextSaysWhatIsWrong) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "Empty body: the text holds nothing to play."},
        {"   ", "Empty body: the text holds nothing to play."},
        {"a>   <b", "Empty body: nothing to play between \">\" and \"<\"."},
        {"<4 xx", "Empty body: nothing to play between \">\" and \"<\"."},
        {"4 xx>", "Empty body: nothing to play between \">\" and \"<\"."},
        {"a<b>c xx", "No sound before the last character: the body holds no x, X, #, ' or ^ "
                     "outside a caption."},
        {"4 (xx", "Unbalanced groups: 1 \"(\" but 0 \")\"."},
        {"4 xx /(/", "Unbalanced groups: 1 \"(\" but 0 \")\"."},
        {"4 ((x) ", "Unbalanced groups: 2 \"(\" but 1 \")\"."},
        {"4 x", "No sound before the last character: a blank after the last sound mends it."},
        {"4 .x", "No sound before the last character: a blank after the last sound mends it."},
        {"4 /xx/ x", "No sound before the last character: a blank after the last sound mends it."},
        {"4 ....", "No sound before the last character: the body holds no x, X, #, ' or ^ outside "
                   "a caption."},
        {"/a/ 4 x", "No sound before the last character: a blank after the last sound mends it."},
        {"4 /xx xx", "No sound before the last character: the body holds no x, X, #, ' or ^ "
                     "outside a caption."},
        {"4 )xx(", "Unbalanced groups: the \")\" at character 3 closes no group."},
        {"4 (x /a)", "Unbalanced groups: the \"(\" at character 3 is not closed."},
        {"4 (((((((((x)))))))))",
         "Groups nested too deep: the \"(\" at character 11 opens a ninth one."},
        {"4 xx ()0", "A group with no step: the group at character 6 holds no x, X, #, ', ^ or "
                     "\".\"."},
        {"4 xx (x())", "A group with no step: the group at character 8 holds no x, X, #, ', ^ or "
                       "\".\"."},
        {"a>4 xx (x())", "A group with no step: the group at character 10 holds no x, X, #, ', ^ "
                         "or \".\"."},
        {"4 xx (/x/)0", "A group with no step: the group at character 6 holds no x, X, #, ', ^ or "
                        "\".\"."},
        {"4 xx (8 16)3", "A group with no step: the group at character 6 holds no x, X, #, ', ^ "
                         "or \".\"."},
    };
    for (const auto& [text, problem] : cases) {
        CTrackList track;
        track.Rhithm("8 xx ");
        track.Rhithm(text);
        EXPECT_EQ(track.LastCheck(), 0) << text;
        EXPECT_EQ(track.CheckProblem(), problem) << text;
        EXPECT_EQ(track.Rhithm(), "8 xx   ") << text;
        track.Rhithm("8 xx ");
        EXPECT_EQ(track.CheckProblem(), "");
    }
}

TEST(TrackCursor, PlaysEachConstructAsWritten) {
    // The text, whether the pass is to end, the steps walked and what they play.
    const std::tuple<const char*, bool, int, const char*> cases[] = {
        // Markers bound the body; a group's count, tempo and information texts.
        {"Scale>8 /slow/ (x'x')3 /faster/ +10 4 #^<coda", false, 16,
         "x8/slow/ '8/slow/ x8/slow/ '8/slow/ x8/slow/ '8/slow/ x8/slow/ '8/slow/ x8/slow/ "
         "'8/slow/ x8/slow/ '8/slow/ #4*1.1/faster/ ^4/faster/ x8/slow/| '8/slow/"},
        // A group closed with ")0" holds the cursor unless the pass is to end.
        {"4 x (x')0", false, 7, "x4 x4 '4 x4 '4 x4 '4"},
        {"4 x (x')0", true, 4, "x4 x4 '4 x4|"},
        {"4 (x(x'))", false, 11, "x4 x4 '4 x4 '4 x4 x4 '4 x4 '4 x4|"},
        {"4 ((((((((x'))1)1)1)1)1)1)1", false, 5, "x4 '4 x4 '4 x4|"},
        {"4 x (x')", false, 6, "x4 x4 '4 x4 '4 x4|"},
        {"4 x (x')1", false, 4, "x4 x4 '4 x4|"},
        {"4 (x)0018 x", false, 3, "x4 x8 x4|"},
        // "128" is 12 and then 8; a leading 0 is ignored.
        {"128 xx 08 x 99x 1x ", false, 6, "x8 x8 x8 x99 x1 x8|"},
        // A duration holds across a group's repeats; each pass starts at 4.
        {"(x 8x)", false, 5, "x4 x8 x8 x8 x4|"},
        // A tempo step belongs to the next step only, and the last of several counts.
        {"4 x+5x-20x+x", false, 4, "x4 x4*1.05 x4*0.8 x4"},
        {"4 x +10 -5 +0x +999x -100x -999x", false, 5, "x4 x4*1 x4*10.99 x4 x4*-8.99"},
        {"4 (+10x)3 +1008x", false, 4, "x4*1.1 x4*1.1 x4*1.1 x8*2"},
        // An open information text runs to the body's end and is current into the next pass.
        {"4 x /one/ x // x /open xx", false, 4, "x4 x4/one/ x4 x4/open xx /|"},
        {"4 xx /a", false, 4, "x4 x4 x4/a /| x4/a /"},
        {"/one/ 4 x x /open", false, 3, "x4/one/ x4/one/ x4/one/|"},
        // The "<" inside the information text ends the body.
        {"4 xx /note<x/", false, 3, "x4 x4 x4/note /|"},
    };
    for (const auto& [text, noInfinite, steps, played] : cases) {
        CTrackList track;
        track.Rhithm(text);
        ASSERT_EQ(track.LastCheck(), 1) << text;
        track.NoInfinite(noInfinite);
        EXPECT_EQ(Play(track, steps), played) << text;
    }
}

// A cursor without a text, or at a position that no accepted text produces, must not read
// outside the text or hang.
TEST(TrackCursor, OddStateStillStepsWithinTheText) {
    CTrackList empty;
    EXPECT_EQ(Play(empty, 2), "0 0");
    for (const int32_t pos :
         {std::numeric_limits<int32_t>::min(), 0, 1, 2, 200, std::numeric_limits<int32_t>::max()}) {
        CTrackList track;
        track.Rhithm("Pre>8 (x')3 /i/ #<post");
        track.CurPos(pos);
        for (int i = 0; i < 20; ++i) {
            track.StepForward();
            EXPECT_FALSE(track.CurSound().empty()) << pos;
            EXPECT_GE(track.CurPos(), 1) << pos;
            EXPECT_LE(track.CurPos(), static_cast<int32_t>(track.Rhithm().size())) << pos;
        }
    }
}

} // namespace
