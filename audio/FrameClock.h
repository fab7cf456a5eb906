#pragma once

#include "SampleFile.h"
#include "TickSource.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>

// The engine's time while a sound stream plays: the frames that the stream has played, in
// milliseconds (frames × 1000 / 44 100), so that a step due at tick d is played at frame
// round(d × 44.1) plus a fixed scheduling offset and clicks are exactly as far apart as their due
// ticks from the very first one. Between two reports of the stream the time runs on with the
// steady clock; a stream that stops, stalls or never opens leaves the steady clock alone to carry
// the time on. The time never moves backwards and never leaps: a report behind it holds it still,
// and one far behind (the stream came back after a stall) or far ahead (the stream ran dry and
// skipped) moves the stream's frames under the time instead, so that the beat neither stands
// still nor skips its steps.
//
// Reports come from the stream's thread (Heard); every other operation belongs to the one
// thread that reads the time. Neither side waits for the other.
class FrameClock final : public TickSource {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double FramesPerMs = SampleFile::FramesPerSecond / 1000.0;
    // A report this far off the time is a stream that stood still or skipped, not the trembling
    // of its requests: the frames are moved under the time instead.
    static constexpr double StallMs = 100.0;

    // Where the steady clock is read; tests hand in a clock of their own.
    using SteadyNow = std::function<Clock::time_point()>;

    explicit FrameClock(SteadyNow steadyNow = &Clock::now);

    int32_t GetTickCount() override;
    double PreciseTicks() override;

    // The frame at which a sample due at dueTick is played, before the scheduling offset.
    int64_t FrameOf(double dueTick) const;
    // Lays the frames under the time afresh so that dueTick falls on `frame`: a stream that slept
    // starts again, and its next frame belongs to the step that woke it. The stream must not
    // report meanwhile.
    void Restart(double dueTick, int64_t frame);

    // Stream thread: the stream has played every frame before `frames`.
    void Heard(int64_t frames);

private:
    struct Report {
        int64_t frames = 0;
        int64_t atNs = 0;
    };
    Report Latest() const;
    void Publish(int64_t frames, int64_t atNs);
    int64_t NowNs() const;

    SteadyNow steadyNow;
    Clock::time_point origin;
    // A sequence lock: odd while a report is being written. The reader retries only if it met a
    // report half written, which takes the writer a few nanoseconds.
    std::atomic<uint64_t> sequence{0};
    std::atomic<int64_t> reportFrames{0};
    std::atomic<int64_t> reportNs{0};
    // Reader side: the time is the stream's milliseconds plus this offset.
    double offsetMs = 0.0;
    double lastTick = 0.0;
    int64_t lastReadNs = 0;
};
