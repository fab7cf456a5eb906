// Without any audio device the program runs silently. The test runs with no sound server to reach;
// on a machine with a sound card of its own there is a device, and the test has nothing to prove.
#include "PortAudioSoundOutput.h"
#include "SteadyTickSource.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

bool MachineHasSoundCard() {
    std::ifstream cards("/proc/asound/cards");
    std::string first;
    return std::getline(cards, first) && first.find("no soundcards") == std::string::npos;
}

TEST(SilentSound, NoDeviceMeansSilenceAndNothingElse) {
    if (MachineHasSoundCard()) {
        GTEST_SKIP() << "this machine has a sound card";
    }
    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    EXPECT_FALSE(sound.IsOpen());
    EXPECT_FALSE(sound.FailureReason().empty()) << "the user is told why it is silent";
    EXPECT_FALSE(sound.Settled());
    EXPECT_EQ(sound.OutputLatencyMs(), 0.0);
    for (int i = 0; i < 1000; ++i) {
        sound.PlaySample("boom.wav", static_cast<double>(i));
    }
}

} // namespace
