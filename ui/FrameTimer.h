#pragma once

#include "TickSource.h"

#include <QTimer>
#include <cstdint>
#include <functional>

// A single-shot precise timer that fires once the tick source's frames reach a given frame, so that
// the program sleeps in the event loop until something is due instead of looking every
// millisecond. The wait is rounded up to whole milliseconds; whoever it wakes re-arms it if the
// frame is not there yet.
class FrameTimer {
public:
    FrameTimer(TickSource& ticks, std::function<void()> due);

    void ArmAt(int64_t frame);
    void Disarm() { timer.stop(); }
    bool Armed() const { return timer.isActive(); }
    int64_t Target() const { return target; }

private:
    TickSource& ticks;
    QTimer timer;
    int64_t target = 0;
};
