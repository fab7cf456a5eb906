#pragma once

#include <cstdint>

// The beat's time: the frames the sound device has played, 44 100 a second, as a 64-bit count
// that starts near zero with the program and never wraps. Without a device the steady clock stands
// in. Milliseconds are a view of it for the callers that count milliseconds (the practice clock,
// the tempo labels); quick repeats of a key and taps read the wall clock instead, which never
// stands still while the frames wait for a late report of the device.
class TickSource {
public:
    static constexpr double FramesPerMs = 44.1;
    static constexpr int64_t FramesPerSecond = 44100;

    virtual ~TickSource() = default;
    // Frames played so far.
    virtual int64_t Frames() = 0;
    // Milliseconds of the steady wall clock since some fixed moment.
    virtual int64_t SteadyMs() = 0;

    // Milliseconds of the beat's time.
    int64_t GetTickCount() { return MsOfFrame(Frames()); }

    static int64_t MsOfFrame(int64_t frame) {
        // Floor division: a frame before zero still belongs to the millisecond it lies in.
        const int64_t scaled = frame * 10;
        return scaled >= 0 ? scaled / 441 : -((-scaled + 440) / 441);
    }
};
