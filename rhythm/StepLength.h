#pragma once

#include <cstdint>

// The length of a step with duration number n: a 1/n note, the tempo counting quarter notes, so a
// step lasts 4/n beats of 60/tempo seconds. The engine keeps its grid in milliseconds and the
// export counts samples; each keeps its own order of operations, since the export's halves are
// rounded and the order decides where they fall.
class StepLength {
public:
    static double Milliseconds(double tempo, int32_t duration) {
        return 60000.0 / tempo * 4.0 / duration;
    }

    static double Samples(double tempo, int32_t duration, int32_t sampleRate) {
        return 60.0 / tempo * 4.0 / duration * sampleRate;
    }
};
