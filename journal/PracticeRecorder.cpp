#include "PracticeRecorder.h"

#include "Rounding.h"

#include <algorithm>
#include <utility>

PracticeRecorder::PracticeRecorder(TickSource& ticks, JournalSink& sink, WallClock wallClock)
    : ticks(ticks)
    , sink(sink)
    , wallClock(std::move(wallClock)) {}

PracticeRecorder::~PracticeRecorder() {
    ProgramEnded();
}

void PracticeRecorder::BeatStarted(std::string rhythm, RhythmSource source, int32_t tempo) {
    if (current) {
        return;
    }
    JournalEntry entry;
    entry.Stretch = ++stretches;
    entry.Started = wallClock().Iso();
    entry.Rhythm = std::move(rhythm);
    entry.Source = std::move(source);
    entry.TempoStart = tempo;
    entry.TempoEnd = tempo;
    entry.TempoMax = tempo;
    current = std::move(entry);
    startTick = ticks.GetTickCount();
    lastKeptTick = startTick;
}

void PracticeRecorder::TempoHeard(int32_t tempo) {
    if (current) {
        current->TempoEnd = tempo;
        current->TempoMax = std::max(current->TempoMax, tempo);
    }
}

void PracticeRecorder::PauseCycleRan() {
    if (current) {
        current->PauseCycle = true;
    }
}

void PracticeRecorder::AccelerandoRan() {
    if (current) {
        current->Accelerando = true;
    }
}

void PracticeRecorder::BeatStopped() {
    if (!current) {
        return;
    }
    const int32_t elapsed = Elapsed();
    if (elapsed >= ShortestKept) {
        KeepCurrent(elapsed);
    }
    current.reset();
}

void PracticeRecorder::ProgramEnded() {
    BeatStopped();
}

// A poll comes up to PollEvery late, so the checkpoint is taken that much early.
void PracticeRecorder::Poll() {
    if (!current) {
        return;
    }
    const int64_t now = ticks.GetTickCount();
    const int32_t elapsed = Elapsed();
    if (elapsed >= ShortestKept && now - lastKeptTick >= CheckpointEvery - PollEvery) {
        KeepCurrent(elapsed);
    }
}

int32_t PracticeRecorder::Elapsed() {
    return static_cast<int32_t>(ticks.GetTickCount() - startTick);
}

void PracticeRecorder::KeepCurrent(int32_t elapsed) {
    current->Seconds = RoundToInt32(elapsed / 1000.0);
    lastKeptTick = ticks.GetTickCount();
    sink.Keep(*current);
}
