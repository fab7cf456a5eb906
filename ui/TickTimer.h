#pragma once

#include "TickSource.h"

#include <QTimer>
#include <functional>

// A single-shot precise timer that fires once the tick source reaches a given tick, so that the
// program sleeps in the event loop until something is due instead of looking every millisecond.
// The wait is rounded up to whole milliseconds: the timer never fires before its tick on a clock
// that keeps pace with the event loop's, and whoever it wakes re-arms it if the tick is not there.
class TickTimer {
public:
    TickTimer(TickSource& ticks, std::function<void()> due);

    void ArmAt(double tick);
    void Disarm() { timer.stop(); }
    bool Armed() const { return timer.isActive(); }
    double Target() const { return target; }
    int Interval() const { return timer.interval(); }

    // Milliseconds from now until tick on the wrapping 32-bit counter; negative once it has passed.
    static double Until(double tick, double now);

private:
    TickSource& ticks;
    QTimer timer;
    double target = 0.0;
};
