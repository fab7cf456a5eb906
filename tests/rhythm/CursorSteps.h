#pragma once

#include "CTrackList.h"

#include <sstream>
#include <string>

// What the cursor reports for its current step, as one word: the symbol and duration, "*" and the
// factor of a tempo step, the information text between slashes, and "|" when the step is already
// the first of the next pass.
inline std::string Describe(const CTrackList& track) {
    std::ostringstream word;
    word << track.CurSound() << track.CurDuration();
    if (track.TempoChange() != 0.0) {
        word << '*' << track.TempoChange();
    }
    if (!track.CurInfo().empty()) {
        word << '/' << track.CurInfo() << '/';
    }
    if (track.EndReach()) {
        word << '|';
    }
    return word.str();
}

// The next `count` steps, described and separated by blanks.
inline std::string Play(CTrackList& track, int count) {
    std::string steps;
    for (int i = 0; i < count; ++i) {
        track.StepForward();
        steps += (i == 0 ? "" : " ") + Describe(track);
    }
    return steps;
}
