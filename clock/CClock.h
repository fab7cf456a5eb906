#pragma once

#include "SettingsStore.h"
#include "Surface.h"
#include "TickSource.h"

#include <cstdint>
#include <optional>
#include <string_view>

// The practice clock: the seconds of the current run (since creation or the last reset, without
// the stretches spent frozen) and the practice time of all earlier runs, drawn as the two hands of
// a small face without numbers. The total lives in the settings store under "Time"/"TotalTime":
// read once at creation; at every checkpoint and at release the seconds counted since the last one
// are added to the total as stored then, so that two runs of the program at once both count.
// After a reset, or when the stored total could not be read, the next checkpoint writes this
// clock's own total instead.
class CClock {
public:
    // Where the total is stored.
    static constexpr std::string_view Section = "Time";
    static constexpr std::string_view Key = "TotalTime";

    CClock(TickSource& ticks, SettingsStore& settings);
    // Stores the total with the run so far, counted up to the freeze when frozen.
    ~CClock();

    CClock(const CClock&) = delete;
    CClock& operator=(const CClock&) = delete;

    // Where the face is drawn; the surface becomes 60 × 60 pixels.
    void Container(Surface& vData);

    // Seconds of all earlier runs, without the current one.
    int32_t TotalTime() const;
    // Seconds since the run began, rounded; frozen stretches already resumed do not count.
    int32_t TimeFromBegin() const;

    bool Freeze() const;
    void Freeze(bool vData);

    void Paint();

    // What a reset cleared: the total of the earlier runs and the current run up to the reset, in
    // milliseconds (up to the freeze when frozen).
    struct Cleared {
        int32_t TotalTime = 0;
        int32_t RunMilliseconds = 0;
    };
    // Clears the run and the total; the stored total follows at the next checkpoint or release.
    // Returns what it cleared, for UndoReset.
    Cleared ResetTime();
    // Puts back what a reset cleared: the total as it was, and the run it cut off ahead of the run
    // counted since, so that no practice is lost either way. Redraws; the stored total follows at
    // the next checkpoint or release.
    void UndoReset(const Cleared& cleared);
    // One minute more or less of the current run.
    void TimePlus();
    void TimeMinus();

    // Adds the run since the last checkpoint to the stored total and changes nothing else, so that
    // a program that ends without releasing the clock (killed, crashed, logged out) loses only the
    // time since the last checkpoint.
    void StoreProgress();

    // The seconds of a stored total; nothing for a value that is no total (not a number, negative,
    // beyond 32 bits).
    static std::optional<int32_t> ParseTotal(std::string_view text);

private:
    // The run as the face shows it: standing still at the moment of freezing.
    int32_t RunSeconds() const;
    void DrawHand(Surface& face, double angle, double length, int32_t penWidth,
                  Colour colour) const;

    TickSource& ticks;
    SettingsStore& settings;
    Surface* container = nullptr;
    int32_t totalTime = 0;
    int32_t beginTick = 0;
    bool frozen = false;
    int32_t freezeTick = 0;
    // The run's seconds that the store already holds.
    int32_t storedRun = 0;
    // The next checkpoint writes the clock's own total over the stored one.
    bool replaceStored = false;
};
