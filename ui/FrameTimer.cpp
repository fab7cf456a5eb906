#include "FrameTimer.h"

#include <algorithm>
#include <cmath>
#include <limits>

FrameTimer::FrameTimer(TickSource& ticks, std::function<void()> due)
    : ticks(ticks) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [due = std::move(due)] { due(); });
}

void FrameTimer::ArmAt(int64_t frame) {
    target = frame;
    const double waitMs =
        std::ceil(static_cast<double>(frame - ticks.Frames()) / TickSource::FramesPerMs);
    const double longest = std::numeric_limits<int>::max();
    timer.start(static_cast<int>(std::clamp(waitMs, 0.0, longest)));
}
