#pragma once

#include "JournalEntry.h"
#include "JournalSink.h"
#include "LocalDateTime.h"
#include "TickSource.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Turns what the beat does into journal entries: one per stretch of playing, from the beat
// switched on until it is switched off or the program ends. A stretch shorter than ShortestKept is
// not kept. A running stretch is handed to the sink again at least every CheckpointEvery, when Poll
// is called every PollEvery, so that a program killed in the middle loses no more than that.
// Every call is cheap and waits for nothing: the beat's thread makes them.
class PracticeRecorder {
public:
    using WallClock = std::function<LocalDateTime()>;

    PracticeRecorder(TickSource& ticks, JournalSink& sink,
                     WallClock wallClock = LocalDateTime::Now);
    // The program ends: a running stretch ends with it.
    ~PracticeRecorder();
    PracticeRecorder(const PracticeRecorder&) = delete;
    PracticeRecorder& operator=(const PracticeRecorder&) = delete;

    // Starts a stretch; nothing while one runs.
    void BeatStarted(std::string rhythm, RhythmSource source, int32_t tempo);
    void TempoHeard(int32_t tempo);
    void PauseCycleRan();
    void AccelerandoRan();
    void BeatStopped();
    void ProgramEnded();
    void Poll();

    bool Running() const { return current.has_value(); }

    static constexpr int32_t ShortestKept = 5000;
    static constexpr int32_t CheckpointEvery = 10000;
    static constexpr int32_t PollEvery = 500;

private:
    int32_t Elapsed();
    void KeepCurrent(int32_t elapsed);

    TickSource& ticks;
    JournalSink& sink;
    WallClock wallClock;
    std::optional<JournalEntry> current;
    int64_t startTick = 0;
    int64_t lastKeptTick = 0;
    uint64_t stretches = 0;
};
