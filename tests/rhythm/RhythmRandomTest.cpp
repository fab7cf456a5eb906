// Many thousands of texts made of the notation's characters: every one is either refused, leaving
// the cursor as it was, or accepted and then played for many steps, with look-aheads mixed in,
// without reading out of range or failing to reach a step.
#include "CTrackList.h"
#include "CursorSteps.h"
#include "TextGenerator.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(RhythmRandom, EveryTextIsRefusedUnchangedOrPlaysSafely) {
    TextGenerator generator(20240611);
    // The cursor under test gets every text and looks ahead now and then; its twin gets only the
    // accepted texts and never looks ahead. Both must report the same steps.
    CTrackList track;
    CTrackList twin;
    int accepted = 0;
    int refused = 0;
    const auto stepBoth = [&](const std::string& text) {
        track.StepForward();
        twin.StepForward();
        ASSERT_EQ(Describe(track), Describe(twin)) << text;
        ASSERT_EQ(track.CurPos(), twin.CurPos()) << text;
        const std::string& sound = track.CurSound();
        ASSERT_TRUE(sound.size() == 1 && std::string("xX'.#^").find(sound) != std::string::npos)
            << text;
        ASSERT_TRUE(track.CurPos() >= 1 && track.CurPos() <= int32_t(track.Rhithm().size()))
            << text;
        ASSERT_TRUE(track.CurDuration() >= 1 && track.CurDuration() <= 99) << text;
    };
    for (int64_t steps = 0; steps < 1000000;) {
        const std::string text = generator.Next();
        const bool noInfinite = generator.Pick(0, 3) == 0;
        const std::string before = track.Rhithm();
        track.Rhithm(text);
        if (track.LastCheck() == 0) {
            ++refused;
            ASSERT_EQ(track.Rhithm(), before) << text;
            for (int i = 0; i < 3 && !before.empty(); ++i, ++steps) {
                ASSERT_NO_FATAL_FAILURE(stepBoth(text));
            }
            continue;
        }
        ++accepted;
        twin.Rhithm(text);
        ASSERT_EQ(twin.Rhithm(), track.Rhithm());
        track.NoInfinite(noInfinite);
        twin.NoInfinite(noInfinite);
        for (int i = generator.Pick(20, 180); i > 0; --i, ++steps) {
            if (generator.Pick(0, 3) == 0) {
                track.Push();
                for (int k = generator.Pick(0, 12); k > 0; --k) {
                    track.StepForward();
                    ASSERT_EQ(track.CurSound().size(), 1u) << text;
                }
                track.Pop();
            }
            ASSERT_NO_FATAL_FAILURE(stepBoth(text));
        }
    }
    EXPECT_GT(accepted, 5000);
    EXPECT_GT(refused, 5000);
}

TEST(RhythmRandom, StepsPerPassIsWhatAWalkOfOnePassReports) {
    TextGenerator generator(20261207);
    CTrackList track;
    track.NoInfinite(true);
    for (int compared = 0; compared < 5000;) {
        track.Rhithm(generator.Next());
        if (track.LastCheck() == 0) {
            continue;
        }
        ++compared;
        constexpr int64_t WalkLimit = 20000;
        int64_t walked = 0;
        for (track.StepForward(); !track.EndReach() && walked <= WalkLimit; track.StepForward()) {
            ++walked;
        }
        if (walked <= WalkLimit) {
            ASSERT_EQ(track.StepsPerPass(), walked) << track.Rhithm();
        } else {
            ASSERT_GT(track.StepsPerPass(), WalkLimit) << track.Rhithm();
        }
    }
    track.NoInfinite(false);
    track.Rhithm("4 xx (x)0");
    EXPECT_EQ(track.StepsPerPass(), CTrackList::MostSteps);
}

} // namespace
