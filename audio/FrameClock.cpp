#include "FrameClock.h"

#include <cmath>

namespace {

constexpr double FramesPerNs = static_cast<double>(TickSource::FramesPerSecond) / 1e9;

int64_t FramesIn(int64_t ns) {
    return static_cast<int64_t>(std::floor(static_cast<double>(ns) * FramesPerNs));
}

} // namespace

FrameClock::FrameClock(SteadyNow steadyNow)
    : steadyNow(std::move(steadyNow))
    , origin(this->steadyNow()) {}

int64_t FrameClock::Frames() {
    const Report report = Latest();
    const int64_t nowNs = NowNs();
    const int64_t candidate = offset + report.frames + FramesIn(nowNs - report.atNs);
    // Where the time would stand had it run on with the steady clock since it was last read.
    const int64_t steadyOn = last + FramesIn(nowNs - lastReadNs);
    lastReadNs = nowNs;
    if (candidate < last - StallFrames || candidate > steadyOn + StallFrames) {
        offset += steadyOn - candidate;
        last = steadyOn;
    } else if (candidate > last) {
        last = candidate;
    }
    return last;
}

int64_t FrameClock::SteadyMs() {
    return NowNs() / 1'000'000;
}

void FrameClock::Heard(int64_t frames) {
    const int64_t atNs = NowNs();
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
