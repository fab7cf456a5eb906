#pragma once

#include "RhythmSource.h"

#include <cstdint>
#include <string>

// One stretch of playing: the beat switched on until it was switched off or the program ended.
struct JournalEntry {
    // The recorder's number for the stretch within one run, so that its checkpoints update one row.
    uint64_t Stretch = 0;
    // Local date and time of the start, "2024-03-09T23:58:00"; the stretch belongs to that day.
    std::string Started;
    // How long the beat was on, the pause cycle's silences included.
    int32_t Seconds = 0;
    std::string Rhythm;
    RhythmSource Source;
    int32_t TempoStart = 0;
    int32_t TempoEnd = 0;
    int32_t TempoMax = 0;
    bool PauseCycle = false;
    bool Accelerando = false;

    bool operator==(const JournalEntry&) const = default;
};
