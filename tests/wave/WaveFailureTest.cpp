#include "CWave.h"
#include "FileDescriptor.h"
#include "WaveFiles.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>

namespace {

using ::testing::HasSubstr;

// Every failure leaves the chosen path as it was, leaves nothing else behind, and says which file
// and why.
class WaveFailure : public ::testing::Test {
protected:
    WaveFailure() {
        WriteAllSamples(samples.path);
        std::ofstream(target) << OldTake;
    }

    WaveOutcome Render(const std::string& rhythm, int32_t tempo, const std::string& file) {
        CWave wave(samples.path, [this] { ++deliveries; });
        wave.OnProgress([this](int32_t&) { ++progress; });
        wave.Track().Rhithm(rhythm);
        return wave.MakeFile(file, tempo);
    }

    void ExpectUntouched() {
        EXPECT_EQ(out.Names(), std::set<std::string>{"take.wav"});
        const auto bytes = ReadBytes(target);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), OldTake);
    }

    static constexpr const char* OldTake = "the old take";
    TempFolder samples;
    TempFolder out;
    const std::filesystem::path target = out / "take.wav";
    int progress = 0;
    int deliveries = 0;
};

TEST_F(WaveFailure, TempoZeroIsReportedAndWritesNothing) {
    const WaveOutcome outcome = Render("8 xx xx", 0, target.string());
    EXPECT_EQ(outcome.Error(), WaveError::NoTempo);
    EXPECT_EQ(outcome.FileName(), target.string());
    EXPECT_THAT(outcome.Message(), HasSubstr(target.string()));
    EXPECT_THAT(outcome.Message(), HasSubstr("the tempo is 0"));
    EXPECT_EQ(progress, 0);
    ExpectUntouched();
    EXPECT_EQ(Render("8 xx xx", -5, target.string()).Error(), WaveError::NoTempo);
}

TEST_F(WaveFailure, RendererWithoutARhythmReportsIt) {
    const WaveOutcome outcome = Render("x", 120, target.string()); // refused by the check
    EXPECT_EQ(outcome.Error(), WaveError::NoRhythm);
    EXPECT_FALSE(outcome.Reason().empty());
    ExpectUntouched();
}

TEST_F(WaveFailure, PassTooLongForAWaveFileStopsBeforeWritingAnything) {
    // Whole notes at tempo 1 last 10 584 000 samples each: 999 of them are far beyond the
    // 1 073 741 805 samples that the 32-bit sizes allow.
    const WaveOutcome steps = Render("1 (x)999", 1, target.string());
    EXPECT_EQ(steps.Error(), WaveError::TooLong);
    EXPECT_THAT(steps.Message(), HasSubstr("too long for a wave file"));
    ExpectUntouched();
    // The same through one sound ringing through 999 rests.
    EXPECT_EQ(Render("1 x(.)999 x", 1, target.string()).Error(), WaveError::TooLong);
    EXPECT_EQ(progress, 0);
    ExpectUntouched();
}

TEST_F(WaveFailure, PassOfMillionsOfStepsIsRefusedWithoutWalkingIt) {
    const WaveOutcome outcome =
        Render("4 ((((((((.)99)99)99)99)99)99)99)99 xx", 320, target.string());
    EXPECT_EQ(outcome.Error(), WaveError::TooLong);
    EXPECT_THAT(outcome.Reason(), HasSubstr("9227446944279203 steps"));
    // Ninety-six million rests before two clicks: a one-second file after minutes of walking.
    EXPECT_EQ(Render("4 ((((.)99)99)99)99 xx", 320, target.string()).Error(), WaveError::TooLong);
    EXPECT_EQ(deliveries, 0) << "the pass was walked";
    ExpectUntouched();
}

TEST_F(WaveFailure, AMeasuringWalkLetsEventsRunAndCanBeStopped) {
    // Nearly a million steps at tempo 320: the pass must be walked to be measured.
    CWave* self = nullptr;
    CWave wave(samples.path, [&] {
        ++deliveries;
        self->Cancel();
    });
    self = &wave;
    wave.OnProgress([this](int32_t&) { ++progress; });
    wave.Track().Rhithm("4 (((.)99)99)99 xx");
    EXPECT_EQ(wave.MakeFile(target.string(), 320).Error(), WaveError::Cancelled);
    EXPECT_EQ(deliveries, 1);
    EXPECT_EQ(progress, 0);
    ExpectUntouched();
}

TEST_F(WaveFailure, PartialFilesLeftByKilledRendersAreRemovedByTheNext) {
    std::ofstream(out / ".pulsara-export-0123456789abcdef.part") << "from a killed render";
    // One that a render elsewhere is still writing.
    const FileDescriptor live(
        ::open((out / ".pulsara-export-live.part").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_EQ(::flock(live.Get(), LOCK_EX), 0);
    ASSERT_TRUE(Render("8 xx", 120, target.string()).Ok());
    EXPECT_EQ(out.Names(), (std::set<std::string>{"take.wav", ".pulsara-export-live.part"}));
}

TEST_F(WaveFailure, PassJustBelowTheLimitIsMeasuredNotRefused) {
    // 101 whole notes at tempo 1: 1 068 984 000 samples, just inside the limit. Only the
    // measuring is run here: a rendered file would be 2 GB, so the target is a missing folder and
    // the failure must be the folder's, not the length's.
    const WaveOutcome outcome = Render("1 (x)101", 1, (out / "missing" / "take.wav").string());
    EXPECT_EQ(outcome.Error(), WaveError::CannotWrite) << outcome.Message();
    EXPECT_EQ(Render("1 (x)102", 1, (out / "missing" / "take.wav").string()).Error(),
              WaveError::TooLong);
}

TEST_F(WaveFailure, MissingFolderIsReportedWithTheSystemsReason) {
    const auto file = (out / "no such folder" / "take.wav").string();
    const WaveOutcome outcome = Render("8 xx", 120, file);
    EXPECT_EQ(outcome.Error(), WaveError::CannotWrite);
    EXPECT_THAT(outcome.Message(), HasSubstr(file));
    EXPECT_THAT(outcome.Reason(), HasSubstr("No such file or directory"));
    EXPECT_EQ(progress, 0);
    ExpectUntouched();
}

TEST_F(WaveFailure, FolderInThePlaceOfTheFileIsLeftAlone) {
    std::filesystem::create_directory(out / "folder.wav");
    std::ofstream(out / "folder.wav" / "inside") << "kept";
    const WaveOutcome outcome = Render("8 xx", 120, (out / "folder.wav").string());
    EXPECT_EQ(outcome.Error(), WaveError::CannotWrite);
    EXPECT_THAT(outcome.Reason(), HasSubstr("folder"));
    EXPECT_TRUE(std::filesystem::exists(out / "folder.wav" / "inside"));
    EXPECT_EQ(Render("8 xx", 120, (out.path / "").string()).Error(), WaveError::CannotWrite);
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
        const WaveOutcome outcome = Render("8 xx xx xx xx", 120, target.string());
        const bool reported = outcome.Error() == WaveError::NoRoom &&
                              outcome.Message().find(target.string()) != std::string::npos;
        return reported && progress > 0 ? 0 : 1;
    };
    EXPECT_EXIT(std::exit(renderWithLimit()), ::testing::ExitedWithCode(0), "");
    ExpectUntouched();
}

} // namespace
