// Walking a rhythm step by step: durations, groups, tempo steps, information texts, the pass
// restart and the look-ahead bookmark.
#include "CTrackList.h"
#include "CursorSteps.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

const std::string DefaultRhythm = "4 xxxx (xxxx xxxx xxxx xxxx)0";

TEST(TrackCursor, TextWithEveryConstructPlaysItsTable) {
    CTrackList track = Accepted("Scale>8 /slow/ (x'x')3 /faster/ +10 4 #^<coda");
    ASSERT_EQ(track.LastCheck(), 1);
    EXPECT_EQ(track.Rhithm(), "Scale>8 /slow/ (x'x')3 /faster/ +10 4 #^  <coda");
    EXPECT_EQ(track.CurPos(), 7);

    std::vector<CursorStep> expected;
    for (int pass = 0; pass < 3; ++pass) {
        for (const char* sound : {"x", "'", "x", "'"}) {
            expected.push_back({sound, 8, "slow", 0.0, false, 0});
        }
    }
    expected.push_back({"#", 4, "faster", 1.10, false, 0});
    expected.push_back({"^", 4, "faster", 0.0, false, 0});
    expected.push_back({"x", 8, "slow", 0.0, true, 0});

    for (std::size_t i = 0; i < expected.size(); ++i) {
        CursorStep step = Step(track);
        step.pos = 0;
        EXPECT_EQ(step, expected[i]) << "step " << i + 1;
    }
    // The next pass carries the tempo step again.
    const std::vector<CursorStep> next = Steps(track, 13);
    EXPECT_EQ(next[11].sound, "#");
    EXPECT_DOUBLE_EQ(next[11].tempo, 1.10);
}

TEST(TrackCursor, EndlessGroupHoldsTheCursorUnlessNoInfinite) {
    CTrackList endless = Accepted(DefaultRhythm);
    for (int i = 0; i < 20 + 10000; ++i) {
        const CursorStep step = Step(endless);
        ASSERT_EQ(step.sound, "x");
        ASSERT_FALSE(step.endReach) << i;
    }

    CTrackList once = Accepted(DefaultRhythm);
    once.NoInfinite(true);
    for (int i = 0; i < 20; ++i) {
        ASSERT_FALSE(Step(once).endReach) << i;
    }
    const CursorStep restart = Step(once);
    EXPECT_TRUE(restart.endReach);
    EXPECT_EQ(restart.sound, "x");
    EXPECT_EQ(restart.duration, 4);
    EXPECT_EQ(restart.pos, 4); // the first "x" of the lead-in bar
}

TEST(TrackCursor, NestedGroupsRepeatInnerGroupOnEveryOuterPass) {
    CTrackList track = Accepted("4 (x(x'))");
    EXPECT_EQ(Sounds(track, 10), "xx'x'xx'x'");
    EXPECT_FALSE(track.EndReach());
    track.StepForward();
    EXPECT_TRUE(track.EndReach());
    EXPECT_EQ(track.CurSound(), "x");
}

TEST(TrackCursor, GroupCountsAndTheirDefaults) {
    CTrackList eight = Accepted("(xx)8 x'");
    EXPECT_EQ(Sounds(eight, 18), std::string(16, 'x') + "x'");
    CTrackList twice = Accepted("4 x (x')");
    EXPECT_EQ(Sounds(twice, 5), "xx'x'");
    CTrackList once = Accepted("4 x (x')1");
    EXPECT_EQ(Sounds(once, 4), "xx'x");
    EXPECT_TRUE(once.EndReach());
}

TEST(TrackCursor, DurationNumbers) {
    CTrackList track = Accepted("128 xx 08 x 99x 1x ");
    std::vector<int32_t> durations;
    for (const CursorStep& step : Steps(track, 5)) {
        durations.push_back(step.duration);
    }
    // "128" is 12 and then 8; a leading 0 is ignored.
    EXPECT_EQ(durations, (std::vector<int32_t>{8, 8, 8, 99, 1}));

    // A duration number stays in force across the repeats of a group, and each pass starts at 4.
    CTrackList group = Accepted("(x 8x)");
    std::vector<int32_t> inGroup;
    for (const CursorStep& step : Steps(group, 5)) {
        inGroup.push_back(step.duration);
    }
    EXPECT_EQ(inGroup, (std::vector<int32_t>{4, 8, 8, 8, 4}));
}

TEST(TrackCursor, TempoStepsAreCarriedByTheNextStepOnly) {
    CTrackList track = Accepted("4 x+5x-20x+x");
    std::vector<double> factors;
    for (const CursorStep& step : Steps(track, 4)) {
        factors.push_back(step.tempo);
    }
    EXPECT_EQ(factors, (std::vector<double>{0.0, 1.05, 0.8, 0.0}));

    CTrackList last = Accepted("4 x +10 -5 +0x +999x -100x -999x");
    std::vector<double> lastFactors;
    for (const CursorStep& step : Steps(last, 5)) {
        lastFactors.push_back(step.tempo);
    }
    EXPECT_EQ(lastFactors, (std::vector<double>{0.0, 1.0, 10.99, 0.0, -8.99}));

    // Inside a group the step is applied on every pass; a fourth digit is a duration number.
    CTrackList group = Accepted("4 (+10x)3 +1008x");
    const std::vector<CursorStep> steps = Steps(group, 4);
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(steps[static_cast<std::size_t>(i)].tempo, 1.10);
    }
    EXPECT_DOUBLE_EQ(steps[3].tempo, 2.0);
    EXPECT_EQ(steps[3].duration, 8);
}

TEST(TrackCursor, InformationTexts) {
    CTrackList track = Accepted("4 x /one/ x // x /open xx");
    EXPECT_EQ(Step(track).info, "");
    EXPECT_EQ(Step(track).info, "one");
    EXPECT_EQ(Step(track).info, "");
    // The open text runs to the body's end and is still current on the next pass's first step.
    const CursorStep next = Step(track);
    EXPECT_TRUE(next.endReach);
    EXPECT_EQ(next.info, "open xx ");

    CTrackList edge = Accepted("4 xx /a");
    const std::vector<CursorStep> steps = Steps(edge, 3);
    EXPECT_EQ(steps[2].info, "a ");
    EXPECT_TRUE(steps[2].endReach);
    EXPECT_EQ(Step(edge).info, "a ");

    // An information text at the body start replaces the open one at once.
    CTrackList replaced = Accepted("/one/ 4 x x /open");
    const std::vector<CursorStep> passes = Steps(replaced, 3);
    EXPECT_EQ(passes[1].info, "one");
    EXPECT_EQ(passes[2].info, "one");
    EXPECT_TRUE(passes[2].endReach);
}

TEST(TrackCursor, OnStartRestartsAtTheBodyStart) {
    CTrackList track = Accepted("T>8 /a/ (x')3 x<");
    const std::vector<CursorStep> first = Steps(track, 4);
    Steps(track, 3);
    track.OnStart();
    EXPECT_EQ(track.CurPos(), 3);
    EXPECT_EQ(track.CurDuration(), 4);
    EXPECT_EQ(track.CurInfo(), "");
    EXPECT_EQ(Steps(track, 4), first);
}

// Positions and bookmarks that no accepted text produces must not read outside the text or hang.
TEST(TrackCursorDefence, OddStateStillStepsWithinTheText) {
    CTrackList empty;
    empty.StepForward();
    EXPECT_EQ(empty.CurSound(), "");
    empty.Pop();
    empty.StepForward();
    EXPECT_EQ(empty.CurSound(), "");

    for (const int32_t pos : {std::numeric_limits<int32_t>::min(), -5, 0, 1, 2, 200,
                              std::numeric_limits<int32_t>::max()}) {
        CTrackList track = Accepted("Pre>8 (x')3 /i/ #<post");
        track.CurPos(pos);
        for (int i = 0; i < 20; ++i) {
            track.StepForward();
            EXPECT_FALSE(track.CurSound().empty()) << pos;
            EXPECT_GE(track.CurPos(), 1);
            EXPECT_LE(track.CurPos(), static_cast<int32_t>(track.Rhithm().size()));
        }
    }

    // A bookmark taken on a deeply nested text, popped into a different one.
    CTrackList track = Accepted("4 ((((((((x'))))))))");
    Steps(track, 3);
    track.Push();
    track.Rhithm("4 x')x(");
    track.Rhithm("4 xx");
    track.Pop();
    for (int i = 0; i < 50; ++i) {
        track.StepForward();
        EXPECT_EQ(track.CurSound(), "x");
    }

    CTrackList neverPushed = Accepted("4 (x')");
    neverPushed.Pop();
    EXPECT_EQ(Sounds(neverPushed, 4), "x'x'");
}

} // namespace
