#include "MixerClockCommands.h"

#include "Rounding.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>
#include <vector>

namespace {

// A mixer level moved by a step. The levels are the mixer's own units and are not limited here;
// only a sum beyond what a level can hold stops at its end.
int32_t SteppedLevel(int32_t level, int32_t step) {
    const int64_t sum = int64_t{level} + step;
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

constexpr std::array<const char*, 3> PresetLevels{"main", "wave", "mic"};

} // namespace

MixerClockCommands::MixerClockCommands(cVolume& Volume, MixerPresets& Presets, CClock& Clock,
                                       CommandFeedback& feedback)
    : Volume(Volume)
    , Presets(Presets)
    , Clock(Clock)
    , feedback(feedback) {}

int32_t MixerClockCommands::Percent(int32_t level, int32_t minimum, int32_t maximum) {
    const double share =
        (static_cast<double>(level) - minimum) / (static_cast<double>(maximum) - minimum);
    return RoundToInt32(share * 100.0);
}

void MixerClockCommands::StepLevel(Level line, int32_t step) {
    const char* name = nullptr;
    int32_t level = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    switch (line) {
    case Level::Master:
        Volume.VolumeLevel(SteppedLevel(Volume.VolumeLevel(), step));
        name = "Master volume";
        level = Volume.VolumeLevel();
        minimum = Volume.VolumeMin();
        maximum = Volume.VolumeMax();
        break;
    case Level::Wave:
        Volume.WaveLevel(SteppedLevel(Volume.WaveLevel(), step));
        name = "Wave volume";
        level = Volume.WaveLevel();
        minimum = Volume.WaveMin();
        maximum = Volume.WaveMax();
        break;
    case Level::Microphone:
        Volume.MicLevel(SteppedLevel(Volume.MicLevel(), step));
        name = "Microphone volume";
        level = Volume.MicLevel();
        minimum = Volume.MicMin();
        maximum = Volume.MicMax();
        break;
    }
    // A control the mixer does not have has no range: there is no level to tell.
    if (maximum <= minimum) {
        feedback.Tell(std::string(name) + ": the mixer has no such control");
        return;
    }
    feedback.Tell(std::string(name) + " " + std::to_string(Percent(level, minimum, maximum)) +
                  " %");
}

void MixerClockCommands::ToggleMute() {
    const bool before = Volume.MikrofonMute();
    Volume.MikrofonMute(!before);
    const bool after = Volume.MikrofonMute();
    if (after == before) {
        feedback.Tell("The microphone's mute cannot be switched");
        return;
    }
    feedback.Tell(after ? "Microphone muted" : "Microphone on");
}

void MixerClockCommands::Preset(bool DoubleKey, std::string_view Name) {
    std::vector<CommandFeedback::Entry> before;
    for (const char* level : PresetLevels) {
        before.push_back(feedback.Before(MixerPresets::Section, MixerPresets::Key(Name, level)));
    }
    Presets.SetMixer(DoubleKey, Name);
    const std::string name(Name);
    if (DoubleKey) {
        feedback.Undoable("Mixer preset " + name + " stored", "mixer preset " + name + " stored",
                          std::move(before));
        return;
    }
    const bool stored = std::any_of(before.begin(), before.end(),
                                    [](const CommandFeedback::Entry& e) { return e.Value; });
    feedback.Tell("Mixer preset " + name + (stored ? " recalled" : " is empty"));
}

void MixerClockCommands::ResetClock(bool DoubleKey) {
    if (!DoubleKey) {
        return;
    }
    CClock::Cleared cleared = Clock.ResetTime();
    // A reset right after a reset (a third quick tap, a held key) adds its short run to what the
    // first one cleared, so that the undo still goes back to before the first.
    if (feedback.Holds(lastReset)) {
        cleared = {clearedByReset.TotalTime,
                   clearedByReset.RunMilliseconds + cleared.RunMilliseconds};
    }
    clearedByReset = cleared;
    lastReset =
        feedback.Undoable("Practice time reset", "practice time reset", {}, [this, cleared] {
            Clock.UndoReset(cleared);
            // The file holds the total again at once, not only at the next checkpoint.
            Clock.StoreProgress();
        });
}
