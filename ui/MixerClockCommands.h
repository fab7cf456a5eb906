#pragma once

#include "CClock.h"
#include "CommandFeedback.h"
#include "MixerPresets.h"
#include "cVolume.h"

#include <cstdint>
#include <string>
#include <string_view>

// The keys whose effect no label of the window shows: the system mixer's levels and microphone
// mute (Insert, Delete, Home, End, Page Up, Page Down, F12), the mixer presets (B, N, M, comma,
// period, slash) and the practice total's reset (F5 twice). Each does what the key map says and
// tells the player what it did; a preset stored and the reset can be undone.
class MixerClockCommands {
public:
    enum class Level { Master, Wave, Microphone };

    MixerClockCommands(cVolume& Volume, MixerPresets& Presets, CClock& Clock,
                       CommandFeedback& feedback);

    // The level plus step, in the mixer's own units; it is not limited here. The notice gives the
    // level the mixer then holds as a share of its range ("Master volume 81 %").
    void StepLevel(Level line, int32_t step);
    // F12: the microphone's mute turned over.
    void ToggleMute();
    // A tap recalls the preset Name, a quick repeat stores the levels from before the tap.
    void Preset(bool DoubleKey, std::string_view Name);
    // F5: resets the practice clock on a repeat only.
    void ResetClock(bool DoubleKey);

    // A level's place in its control's range, in whole percent, halves to the even neighbour.
    static int32_t Percent(int32_t level, int32_t minimum, int32_t maximum);

private:
    cVolume& Volume;
    MixerPresets& Presets;
    CClock& Clock;
    CommandFeedback& feedback;
    // The undo record of the last reset, and what it will put back.
    uint64_t lastReset = 0;
    CClock::Cleared clearedByReset;
};
