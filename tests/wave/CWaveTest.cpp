#include "CWave.h"

#include "FileDescriptor.h"
#include "WaveFiles.h"

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <vector>

namespace {

using namespace std::string_literals;

class WaveRender : public ::testing::Test {
protected:
    WaveRender() { WriteAllSamples(samples); }

    TempFolder samples;
    TempFolder out;
    const std::string target = (out / "out.wav").string();
};

// The old file stays until the new one is complete; partial files of killed renders go, but not
// one that a render elsewhere is still writing, nor a file of the user's that merely looks alike.
TEST_F(WaveRender, EighthNotesAt120AreByteExactAndReplaceTheOldFileOnlyAtTheEnd) {
    out.Put("out.wav", "the old take");
    out.Put(".pulsara-export-0123456789abcdef.part", "from a killed render");
    out.Put("take.part", "the user's own");
    const FileDescriptor live(
        ::open((out / ".pulsara-export-live.part").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_EQ(::flock(live.Get(), LOCK_EX), 0);
    std::vector<std::string> journal;
    CWave wave(samples.path, [&] {
        journal.push_back("events");
        EXPECT_EQ(out.Bytes("out.wav"), "the old take");
        EXPECT_EQ(out.Names(),
                  (std::set<std::string>{"out.wav", "take.part", ".pulsara-export-live.part"}));
    });
    wave.OnProgress([&](int32_t& percent) { journal.push_back(std::to_string(percent)); });
    wave.Track().Rhithm("8 xx xx xx xx");
    ASSERT_TRUE(wave.MakeFile(target, 120).Ok());

    const std::string bytes = out.Bytes("out.wav");
    EXPECT_EQ(bytes.substr(0, 44), "RIFF\x34\xB1\x02\0WAVEfmt \x10\0\0\0\x01\0\x01\0"
                                   "\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0data\x10\xB1\x02\0"s);
    EXPECT_EQ(SamplesOf(bytes), SamplesOf(std::vector<Sound>(8, {Boom, 6161, 11025})));
    // The window gets its messages after each percentage, so the label repaints as it goes.
    EXPECT_EQ(journal, (std::vector<std::string>{"12", "events", "25", "events", "38", "events",
                                                 "50", "events", "62", "events", "75", "events",
                                                 "88", "events", "100", "events"}));
    EXPECT_EQ(out.Names(),
              (std::set<std::string>{"out.wav", "take.part", ".pulsara-export-live.part"}));
}

// Sounds from short and missing samples, with silence for the words they lack (a lone byte at
// the end is no word); the sample folder is never written to.
TEST_F(WaveRender, SoundsAreRoundedAndFilledWithSilence) {
    WriteSample(samples, Boomi, 100);
    std::filesystem::remove(samples / "bassdrum.wav");
    samples.Put("snare.wav", samples.Bytes("snare.wav").substr(0, 46 + 2 * 10 + 1));
    const auto before = samples.Names();
    struct Case {
        const char* rhythm;
        int32_t tempo;
        std::vector<Sound> sounds;
        bool silentSample;
    };
    const Case cases[] = {
        {"8 x'#^",
         120,
         {{Boom, 6161, 11025}, {Boomi, 100, 11025}, {BassDrum, 0, 11025}, {Snare, 10, 11025}},
         true},
        // A whole note at 15 is 16 s: its silence alone runs past the end of the write buffer.
        {"1 xx", 15, {{Boom, 6161, 705600}, {Boom, 6161, 705600}}, false},
    };
    // A file in the current folder needs no folder part.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path);
    for (const Case& c : cases) {
        CWave wave(samples.path);
        wave.Track().Rhithm(c.rhythm);
        const WaveOutcome outcome = wave.MakeFile("out.wav", c.tempo);
        EXPECT_TRUE(outcome.Ok()) << c.rhythm;
        EXPECT_EQ(SamplesOf(out.Bytes("out.wav")), SamplesOf(c.sounds)) << c.rhythm;
        EXPECT_EQ(outcome.Message().ends_with(": bassdrum.wav."), c.silentSample);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(samples.Names(), before);
}

} // namespace
