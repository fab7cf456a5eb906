// Every failure leaves the chosen path as it was, leaves nothing else behind, and says which file
// and why.
#include "CWave.h"
#include "WaveFiles.h"

#include <csignal>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>

namespace {

using ::testing::HasSubstr;

class WaveFailure : public ::testing::Test {
protected:
    WaveFailure() {
        WriteAllSamples(samples);
        out.Put("take.wav", "the old take");
    }

    WaveOutcome Render(const std::string& rhythm, int32_t tempo, const std::string& file) {
        CWave wave(samples.path, [this, &wave] {
            ++deliveries;
            if (cancelOnEvents) {
                wave.Cancel();
            }
        });
        wave.OnProgress([this](int32_t&) { ++progress; });
        wave.Track().Rhithm(rhythm);
        return wave.MakeFile(file, tempo);
    }

    void ExpectUntouched() {
        EXPECT_EQ(out.Names(), std::set<std::string>{"take.wav"});
        EXPECT_EQ(out.Bytes("take.wav"), "the old take");
    }

    TempFolder samples;
    TempFolder out;
    const std::string target = (out / "take.wav").string();
    int progress = 0;
    int deliveries = 0;
    bool cancelOnEvents = false;
};

// Each is found before a step is rendered; the lengths are refused before a byte is written.
TEST_F(WaveFailure, RefusedBeforeRendering) {
    std::filesystem::create_directory(out / "folder.wav");
    out.Put("folder.wav/inside", "kept");
    const std::string missing = (out / "missing" / "take.wav").string();
    struct Case {
        const char* rhythm;
        int32_t tempo;
        std::string file;
        WaveError error;
        const char* reason;
    };
    const Case cases[] = {
        {"8 xx xx", 0, target, WaveError::NoTempo, "the tempo is 0"},
        {"8 xx xx", -5, target, WaveError::NoTempo, "the tempo is negative"},
        {"x", 120, target, WaveError::NoRhythm, "no rhythm"}, // refused by the check
        // Whole notes at tempo 1 last 10 584 000 samples each: 101 of them, 1 068 984 000
        // samples, just fit the 1 073 741 805 that the 32-bit sizes allow; the folder then fails.
        {"1 (x)101", 1, missing, WaveError::CannotWrite, "No such file or directory"},
        {"1 (x)102", 1, missing, WaveError::TooLong, "too long for a wave file"},
        {"1 x(.)999 x", 1, target, WaveError::TooLong, "too long for a wave file"},
        // Passes of millions of steps are refused from the text, without walking them.
        {"4 ((((.)99)99)99)99 xx", 320, target, WaveError::TooLong, "96059603 steps"},
        {"4 ((((((((.)999)999)999)999)999)999)999)999 xx", 320, target, WaveError::TooLong,
         "far too many steps"},
        {"8 xx", 120, (out / "folder.wav").string(), WaveError::CannotWrite, "folder"},
        {"8 xx", 120, (out.path / "").string(), WaveError::CannotWrite, "no file name"},
    };
    for (const Case& c : cases) {
        const WaveOutcome outcome = Render(c.rhythm, c.tempo, c.file);
        EXPECT_EQ(outcome.Error(), c.error) << c.rhythm << " " << outcome.Message();
        EXPECT_THAT(outcome.Reason(), HasSubstr(c.reason)) << c.rhythm;
        EXPECT_THAT(outcome.Message(), HasSubstr(c.file)) << c.rhythm;
    }
    EXPECT_EQ(progress, 0);
    EXPECT_EQ(deliveries, 0);
    EXPECT_EQ(out.Bytes("folder.wav/inside"), "kept");
    std::filesystem::remove_all(out / "folder.wav");
    ExpectUntouched();
}

TEST_F(WaveFailure, AMeasuringWalkLetsEventsRunAndCanBeStopped) {
    // Nearly a million steps at tempo 320: the pass must be walked to be measured.
    cancelOnEvents = true;
    EXPECT_EQ(Render("4 (((.)99)99)99 xx", 320, target).Error(), WaveError::Cancelled);
    EXPECT_EQ(deliveries, 1);
    EXPECT_EQ(progress, 0);
    ExpectUntouched();
}

// A write that fails part way, as on a full disk: the process may write no more than 100 000
// bytes to a file, and the render needs 176 444. Run in a forked child, which renders into this
// test's own folders and exits 0 when the failure was reported as it should be.
TEST_F(WaveFailure, WriteFailingPartWayLeavesTheOldFileAndNoPartialOne) {
    GTEST_FLAG_SET(death_test_style, "fast");
    const auto renderWithLimit = [this] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const WaveOutcome outcome = Render("8 xx xx xx xx", 120, target);
        const bool reported = outcome.Error() == WaveError::NoRoom &&
                              outcome.Message().find(target) != std::string::npos;
        return reported && progress > 0 ? 0 : 1;
    };
    EXPECT_EXIT(std::exit(renderWithLimit()), ::testing::ExitedWithCode(0), "");
    ExpectUntouched();
}

} // namespace
