#include "TickTimer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double TickRange = 4294967296.0;

} // namespace

TickTimer::TickTimer(TickSource& ticks, std::function<void()> due)
    : ticks(ticks) {
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [due = std::move(due)] { due(); });
}

void TickTimer::ArmAt(double tick) {
    target = tick;
    const double wait = std::ceil(Until(tick, ticks.PreciseTicks()));
    const double longest = std::numeric_limits<int>::max();
    timer.start(static_cast<int>(std::clamp(wait, 0.0, longest)));
}

double TickTimer::Until(double tick, double now) {
    const double lead = tick - now;
    return std::abs(lead) < TickRange / 2 ? lead : std::remainder(lead, TickRange);
}
