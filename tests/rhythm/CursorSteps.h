#pragma once

#include "CTrackList.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// What one StepForward reports, for comparing whole runs of steps.
struct CursorStep {
    std::string sound;
    int32_t duration = 0;
    std::string info;
    double tempo = 0.0;
    bool endReach = false;
    int32_t pos = 0;

    bool operator==(const CursorStep&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const CursorStep& step) {
    return out << "{sound '" << step.sound << "', duration " << step.duration << ", info '"
               << step.info << "', tempo " << step.tempo << ", endReach " << step.endReach
               << ", pos " << step.pos << "}";
}

inline CursorStep Observe(const CTrackList& track) {
    return {track.CurSound(),    track.CurDuration(), track.CurInfo(),
            track.TempoChange(), track.EndReach(),    track.CurPos()};
}

inline CursorStep Step(CTrackList& track) {
    track.StepForward();
    return Observe(track);
}

inline std::vector<CursorStep> Steps(CTrackList& track, int count) {
    std::vector<CursorStep> steps;
    for (int i = 0; i < count; ++i) {
        steps.push_back(Step(track));
    }
    return steps;
}

inline std::string Sounds(CTrackList& track, int count) {
    std::string sounds;
    for (int i = 0; i < count; ++i) {
        track.StepForward();
        sounds += track.CurSound();
    }
    return sounds;
}

inline CTrackList Accepted(const std::string& text) {
    CTrackList track;
    track.Rhithm(text);
    return track;
}
