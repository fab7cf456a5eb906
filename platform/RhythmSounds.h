#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// What each sound symbol of a rhythm plays. The live engine, the wave export, the sample bank and
// the notation's check all read this one table, so that what is heard and what is exported can
// never disagree.
class RhythmSounds {
public:
    // The sample files, in the order the bank loads them and the export opens them.
    static constexpr std::array<std::string_view, 4> Files{"boom.wav", "boomi.wav", "bassdrum.wav",
                                                           "snare.wav"};
    // The most samples of each file that the wave export copies for one sound; the sample files
    // hold one sample more.
    static constexpr std::array<int32_t, Files.size()> ExportSamples{6161, 820, 26304, 27214};

    // The index into Files of the symbol's sample, or -1 for a rest and for a step with no symbol.
    // "x" and "X" play the same sample at the same level.
    static constexpr int SampleIndex(std::string_view symbol) {
        if (symbol == "x" || symbol == "X") {
            return 0;
        }
        if (symbol == "'") {
            return 1;
        }
        if (symbol == "#") {
            return 2;
        }
        if (symbol == "^") {
            return 3;
        }
        return -1;
    }

    // The main beats swing the pendulum and bound the span of a beat; the other sounds subdivide.
    static constexpr bool IsMainBeat(std::string_view symbol) {
        return symbol == "x" || symbol == "X" || symbol == "#";
    }
};
