#include "FrameClock.h"

#include <cmath>

FrameClock::FrameClock(SteadyNow steadyNow)
    : steadyNow(std::move(steadyNow))
    , origin(this->steadyNow()) {}

int32_t FrameClock::GetTickCount() {
    const auto ms = static_cast<int64_t>(std::floor(PreciseTicks()));
    // Wraps like the platform counter it stands for; tick arithmetic is wrap-safe throughout.
    return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

double FrameClock::PreciseTicks() {
    const Report report = Latest();
    const int64_t nowNs = NowNs();
    const double streamMs = static_cast<double>(report.frames) / FramesPerMs +
                            static_cast<double>(nowNs - report.atNs) / 1e6;
    const double candidate = offsetMs + streamMs;
    // Where the time would stand had it run on with the steady clock since it was last read.
    const double steadyOn = lastTick + static_cast<double>(nowNs - lastReadNs) / 1e6;
    lastReadNs = nowNs;
    if (candidate < lastTick - StallMs || candidate > steadyOn + StallMs) {
        offsetMs += steadyOn - candidate;
        lastTick = steadyOn;
    } else if (candidate > lastTick) {
        lastTick = candidate;
    }
    return lastTick;
}

int64_t FrameClock::FrameOf(double dueTick) const {
    return std::llround((dueTick - offsetMs) * FramesPerMs);
}

void FrameClock::Restart(double dueTick, int64_t frame) {
    const double now = PreciseTicks();
    offsetMs = dueTick - static_cast<double>(frame) / FramesPerMs;
    // The stream's report now stands at `frame`, taken at the moment the time shows `now`, so the
    // time goes on from where it was.
    const auto lead = static_cast<int64_t>((now - dueTick) * 1e6);
    Publish(frame, NowNs() - lead);
}

void FrameClock::Heard(int64_t frames) {
    Publish(frames, NowNs());
}

void FrameClock::Publish(int64_t frames, int64_t atNs) {
    const uint64_t s = sequence.load(std::memory_order_relaxed);
    sequence.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    reportFrames.store(frames, std::memory_order_relaxed);
    reportNs.store(atNs, std::memory_order_relaxed);
    sequence.store(s + 2, std::memory_order_release);
}

FrameClock::Report FrameClock::Latest() const {
    for (;;) {
        const uint64_t before = sequence.load(std::memory_order_acquire);
        const Report report{reportFrames.load(std::memory_order_relaxed),
                            reportNs.load(std::memory_order_relaxed)};
        std::atomic_thread_fence(std::memory_order_acquire);
        if (before % 2 == 0 && sequence.load(std::memory_order_relaxed) == before) {
            return report;
        }
    }
}

int64_t FrameClock::NowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(steadyNow() - origin).count();
}
