// A pass of a rhythm rendered to a wave file: byte-exact renders, the folder around the file, and
// every failure, which leaves the chosen path as it was, leaves nothing else behind, and says which
// file and why.
#include "CWave.h"

#include "FileDescriptor.h"
#include "WaveFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/resource.h>
#include <tuple>
#include <vector>

namespace {

using ::testing::HasSubstr;
using namespace std::string_literals;

class WaveExport : public ::testing::Test {
protected:
    WaveExport() {
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
TEST_F(WaveExport, RefusedBeforeRendering) {
    std::filesystem::create_directory(out / "folder.wav");
    out.Put("folder.wav/inside", "kept");
    const std::string missing = (out / "missing" / "take.wav").string();
    // The rhythm at its tempo into the file; the error and a part of its reason.
    const std::tuple<const char*, int32_t, std::string, WaveError, const char*> cases[] = {
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
    for (const auto& [rhythm, tempo, file, error, reason] : cases) {
        const WaveOutcome outcome = Render(rhythm, tempo, file);
        EXPECT_EQ(outcome.Error(), error) << rhythm << " " << outcome.Message();
        EXPECT_THAT(outcome.Reason(), HasSubstr(reason)) << rhythm;
        EXPECT_THAT(outcome.Message(), HasSubstr(file)) << rhythm;
    }
    EXPECT_EQ(std::pair(progress, deliveries), std::pair(0, 0));
    EXPECT_EQ(out.Bytes("folder.wav/inside"), "kept");
    std::filesystem::remove_all(out / "folder.wav");
    ExpectUntouched();
}

TEST_F(WaveExport, AMeasuringWalkLetsEventsRunAndCanBeStopped) {
    // Nearly a million steps at tempo 320: the pass must be walked to be measured.
    cancelOnEvents = true;
    EXPECT_EQ(Render("4 (((.)99)99)99 xx", 320, target).Error(), WaveError::Cancelled);
    EXPECT_EQ(std::pair(progress, deliveries), std::pair(0, 1));
    ExpectUntouched();
}

// A write that fails part way, as on a full disk: the process may write no more than 100 000
// bytes to a file, and the render needs 176 444. Run in a forked child, which renders into this
// test's own folders and exits 0 when the failure was reported as it should be.
TEST_F(WaveExport, WriteFailingPartWayLeavesTheOldFileAndNoPartialOne) {
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

// The old file stays until the new one is complete; partial files of killed renders go, but not
// one that a render elsewhere is still writing, nor a file of the user's that merely looks alike.
TEST_F(WaveExport, EighthNotesAt120AreByteExactAndReplaceTheOldFileOnlyAtTheEnd) {
    out.Put(".pulsara-export-0123456789abcdef.part", "from a killed render");
    out.Put("take.part", "the user's own");
    const FileDescriptor live(
        ::open((out / ".pulsara-export-live.part").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_EQ(::flock(live.Get(), LOCK_EX), 0);
    const std::set<std::string> names{"take.wav", "take.part", ".pulsara-export-live.part"};
    std::vector<std::string> journal;
    CWave wave(samples.path, [&] {
        journal.push_back("events");
        EXPECT_EQ(out.Bytes("take.wav"), "the old take");
        EXPECT_EQ(out.Names(), names);
        errno = EINTR; // left from an interrupted call: a write that went through is not repeated
    });
    wave.OnProgress([&](int32_t& percent) { journal.push_back(std::to_string(percent)); });
    wave.Track().Rhithm("8 xx xx xx xx");
    ASSERT_TRUE(wave.MakeFile(target, 120).Ok());

    const std::string bytes = out.Bytes("take.wav");
    EXPECT_EQ(bytes.substr(0, 44), "RIFF\x34\xB1\x02\0WAVEfmt \x10\0\0\0\x01\0\x01\0"
                                   "\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0data\x10\xB1\x02\0"s);
    EXPECT_EQ(SamplesOf(bytes), SamplesOf(std::vector<Sound>(8, {Boom, 6161, 11025})));
    // The window gets its messages after each percentage, so the label repaints as it goes.
    EXPECT_EQ(journal, (std::vector<std::string>{"12", "events", "25", "events", "38", "events",
                                                 "50", "events", "62", "events", "75", "events",
                                                 "88", "events", "100", "events"}));
    EXPECT_EQ(out.Names(), names);
}

// Sounds from short and missing samples, with silence for the words they lack (a lone byte at
// the end is no word); the sample folder is never written to.
TEST_F(WaveExport, SoundsAreRoundedAndFilledWithSilence) {
    WriteSample(samples, Boomi, 100);
    std::filesystem::remove(samples / "bassdrum.wav");
    samples.Put("snare.wav", samples.Bytes("snare.wav").substr(0, 46 + 2 * 10 + 1));
    const auto before = samples.Names();
    // The rhythm at its tempo, its sounds, and whether a sample was missing.
    const std::tuple<const char*, int32_t, std::vector<Sound>, bool> cases[] = {
        {"8 x'#^",
         120,
         {{Boom, 6161, 11025}, {Boomi, 100, 11025}, {BassDrum, 0, 11025}, {Snare, 10, 11025}},
         true},
        // A whole note at 15 is 16 s: its silence alone runs past the end of the write buffer.
        {"1 xx", 15, {{Boom, 6161, 705600}, {Boom, 6161, 705600}}, false},
    };
    // A file in the current folder needs no folder part; this one is a link, written through.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path);
    std::filesystem::create_symlink("take.wav", "out.wav");
    for (const auto& [rhythm, tempo, sounds, silentSample] : cases) {
        CWave wave(samples.path);
        wave.Track().Rhithm(rhythm);
        const WaveOutcome outcome = wave.MakeFile("out.wav", tempo);
        EXPECT_TRUE(outcome.Ok()) << rhythm;
        EXPECT_EQ(SamplesOf(out.Bytes("out.wav")), SamplesOf(sounds)) << rhythm;
        EXPECT_EQ(outcome.Message().ends_with(": bassdrum.wav."), silentSample);
    }
    std::filesystem::current_path(previous);
    EXPECT_TRUE(std::filesystem::is_symlink(out / "out.wav"));
    EXPECT_EQ(samples.Names(), before);
}

} // namespace
