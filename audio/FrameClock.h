#pragma once

#include "TickSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

// The beat's time while a sound stream plays: the frames the stream has played, shifted by an
// offset of whole frames, so that a sample laid at frame f of this clock starts on frame
// f − offset of the stream. Between two reports of the stream the time runs on with the steady
// clock; a stream that stalls or never opens leaves the steady clock alone to carry the time on.
// The time never moves backwards and never leaps: a report behind it holds it still, and one far
// behind (the stream came back after a stall) or far ahead (the stream skipped) moves the
// stream's frames under the time instead, so that the beat neither stands still nor skips.
//
// Reports come from the stream's thread (Heard); every other operation belongs to the one thread
// that reads the time. Neither side waits for the other.
class FrameClock final : public TickSource {
public:
    using Clock = std::chrono::steady_clock;
    // A report this far off the time is a stream that stood still or skipped, not the trembling
    // of its requests (100 ms).
    static constexpr int64_t StallFrames = FramesPerSecond / 10;

    // Where the steady clock is read; tests hand in a clock of their own.
    using SteadyNow = std::function<Clock::time_point()>;

    explicit FrameClock(SteadyNow steadyNow = &Clock::now);

    int64_t Frames() override;
    int64_t SteadyMs() override;

    // The stream's frame that plays at `frame` of this clock.
    int64_t StreamFrame(int64_t frame) const { return frame - offset; }

    // Stream thread: the stream has played every frame before `frames`.
    void Heard(int64_t frames);

private:
    struct Report {
        int64_t frames = 0;
        int64_t atNs = 0;
    };
    Report Latest() const;
    int64_t NowNs() const;

    SteadyNow steadyNow;
    Clock::time_point origin;
    // A sequence lock: odd while a report is being written. The reader retries only if it met a
    // report half written, which takes the writer a few nanoseconds.
    std::atomic<uint64_t> sequence{0};
    std::atomic<int64_t> reportFrames{0};
    std::atomic<int64_t> reportNs{0};
    // Reader side.
    int64_t offset = 0;
    int64_t last = 0;
    int64_t lastReadNs = 0;
};
