#pragma once

#include "JournalEntry.h"

// Where the recorder hands its entries. A stretch is handed over again at every checkpoint and at
// its end, each time as a whole, under the same Stretch number; the newest one counts. Called on
// the thread that schedules the beat, so it must not wait for anything.
class JournalSink {
public:
    virtual ~JournalSink() = default;
    virtual void Keep(const JournalEntry& entry) = 0;
};
