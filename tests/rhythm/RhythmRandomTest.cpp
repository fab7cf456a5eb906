// Many thousands of texts made of the notation's characters: every one is either refused, leaving
// the cursor as it was, or accepted and then played for many steps, with look-aheads mixed in,
// without reading out of range or failing to reach a step.
#include "CTrackList.h"
#include "CursorSteps.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

class TextGenerator {
public:
    explicit TextGenerator(uint32_t seed)
        : rng(seed) {}

    std::string Next() {
        std::string text = Pick(0, 2) == 0 ? Chaotic() : Structured(0);
        for (int mutations = Pick(0, 3) == 0 ? Pick(1, 3) : 0; mutations > 0; --mutations) {
            Mutate(text);
        }
        return text;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

private:
    std::string Any(const std::vector<std::string>& choices) {
        return choices[static_cast<std::size_t>(Pick(0, static_cast<int>(choices.size()) - 1))];
    }

    std::string Digits(int count) {
        std::string digits;
        for (int i = 0; i < count; ++i) {
            digits += static_cast<char>('0' + Pick(0, 9));
        }
        return digits;
    }

    std::string Chaotic() {
        static const std::vector<std::string> pieces = {
            "x",       "X",   "'",     ".",   "#",  "^",  "x",        "'",    " ",        " ",
            "0",       "1",   "4",     "8",   "9",  "12", "16",       "(",    ")",        ")0",
            ")1",      ")3",  ")999",  "+",   "-",  "+5", "-20",      "+999", "/",        "/info/",
            "/ab",     "//",  "<",     ">",   "a",  "Z",  "\xc3\xa9", "\xff", "((((((((", "))))",
            "1234567", "(x)", "(x')0", "(.)", "()", "\t"};
        std::string text;
        for (int count = Pick(1, 40); count > 0; --count) {
            text += Any(pieces);
        }
        return text;
    }

    std::string Structured(int depth) {
        static const std::vector<std::string> symbols = {"x", "X", "'", ".", "#", "^"};
        std::string text;
        for (int items = Pick(1, depth == 0 ? 8 : 4); items > 0; --items) {
            switch (Pick(0, 11)) {
            case 0:
            case 1:
            case 2:
                text += Any(symbols);
                break;
            case 3:
                text += Digits(Pick(1, 3));
                break;
            case 4:
                text += (Pick(0, 1) == 0 ? "+" : "-") + Digits(Pick(0, 4));
                break;
            case 5:
                text += "/" + Any({"slow", "a)b", "(", "x'", ">", "<"}) + (Pick(0, 5) ? "/" : "");
                break;
            case 6:
                text += " ";
                break;
            case 7:
            case 8:
                if (depth < 9) {
                    text += "(" + Structured(depth + 1) + ")" +
                            Digits(Pick(0, 3) ? Pick(0, 1) : Pick(2, 5));
                }
                break;
            case 9:
                text += Any({"<", ">", "\xc3\xa9", "q", "0", ")", "("});
                break;
            default:
                text += Any(symbols) + Any(symbols);
                break;
            }
        }
        return text;
    }

    void Mutate(std::string& text) {
        static const std::string alphabet = "xX'.#^0123456789()+-/<> abZ\xc3\xa9\xff";
        const auto at = static_cast<std::size_t>(Pick(0, static_cast<int>(text.size())));
        const char c =
            alphabet[static_cast<std::size_t>(Pick(0, static_cast<int>(alphabet.size()) - 1))];
        if (at < text.size() && Pick(0, 1) == 0) {
            text.erase(at, 1);
        } else {
            text.insert(at, 1, c);
        }
    }

    std::mt19937 rng;
};

bool IsStepSymbol(const std::string& sound) {
    return sound == "x" || sound == "X" || sound == "'" || sound == "." || sound == "#" ||
           sound == "^";
}

TEST(RhythmRandom, EveryTextIsRefusedUnchangedOrPlaysSafely) {
    TextGenerator generator(20240611);
    // The cursor under test gets every text and looks ahead now and then; its twin gets only the
    // accepted texts and never looks ahead. Both must report the same steps.
    CTrackList track;
    CTrackList twin;
    int64_t steps = 0;
    int accepted = 0;
    int refused = 0;

    const auto stepBoth = [&](const std::string& text) {
        track.StepForward();
        twin.StepForward();
        ++steps;
        const CursorStep step = Observe(track);
        ASSERT_EQ(step, Observe(twin)) << "text: " << text;
        ASSERT_TRUE(IsStepSymbol(step.sound)) << "text: " << text << " step " << step;
        ASSERT_GE(step.pos, 1) << text;
        ASSERT_LE(step.pos, static_cast<int32_t>(track.Rhithm().size())) << text;
        ASSERT_GE(step.duration, 1) << text;
        ASSERT_LE(step.duration, 99) << text;
    };

    while (steps < 1000000) {
        const std::string text = generator.Next();
        const bool noInfinite = generator.Pick(0, 3) == 0;
        const std::string before = track.Rhithm();
        track.Rhithm(text);
        if (track.LastCheck() == 0) {
            ++refused;
            ASSERT_EQ(track.Rhithm(), before) << text;
            ASSERT_EQ(Observe(track), Observe(twin)) << text;
            if (!before.empty()) {
                for (int i = 0; i < 3; ++i) {
                    ASSERT_NO_FATAL_FAILURE(stepBoth(text));
                }
            }
            continue;
        }
        ++accepted;
        twin.Rhithm(text);
        ASSERT_EQ(twin.Rhithm(), track.Rhithm());
        ASSERT_TRUE(track.Rhithm().size() == text.size() ||
                    track.Rhithm().size() == text.size() + 2)
            << text;
        track.NoInfinite(noInfinite);
        twin.NoInfinite(noInfinite);
        for (int i = generator.Pick(20, 180); i > 0; --i) {
            if (generator.Pick(0, 3) == 0) {
                track.Push();
                for (int k = generator.Pick(0, 12); k > 0; --k) {
                    track.StepForward();
                    ASSERT_TRUE(IsStepSymbol(track.CurSound())) << text;
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
        const int64_t counted = track.StepsPerPass();
        constexpr int64_t WalkLimit = 20000;
        int64_t walked = 0;
        for (track.StepForward(); !track.EndReach() && walked <= WalkLimit; track.StepForward()) {
            ++walked;
        }
        if (walked <= WalkLimit) {
            ASSERT_EQ(counted, walked) << track.Rhithm();
        } else {
            ASSERT_GT(counted, WalkLimit) << track.Rhithm();
        }
    }
    track.Rhithm("4 ((((((((.)99)99)99)99)99)99)99)99 xx");
    EXPECT_EQ(track.StepsPerPass(), 9227446944279201 + 2);
}

} // namespace
