#pragma once

#include "FrameTimer.h"
#include "PracticeSession.h"
#include "TickSource.h"

#include <QObject>
#include <chrono>
#include <functional>

// A practice session's beat in Qt's event loop. The program sleeps until something is due: the
// engine's next wake (a step is heard, or the next one comes within the engine's horizon), then
// pulses the session and sleeps again. Work a command defers, and an export's moments for the
// window to repaint, also come through here. Tests call BeatDue themselves.
class BeatLoop {
public:
    // Deferred work is dropped with context, should it go first.
    BeatLoop(TickSource& ticks, QObject& context);

    // The session whose beat is run; until then nothing is pulsed.
    void Follow(PracticeSession& session) { followed = &session; }
    // The engine's next wake has come: Pulse, then sleep until the following one.
    void BeatDue();
    // Sleeps until the session's next wake; not at all while the beat is off.
    void Arm();
    void Stop() { timer.Disarm(); }
    const FrameTimer& Timer() const { return timer; }

    // Runs work from the event loop once the current event has been handled.
    void Later(std::function<void()> work);
    // Called while an export renders: now and then lets the window repaint and turn keys away.
    void DeliverDuringExport();

private:
    QObject& context;
    PracticeSession* followed = nullptr;
    FrameTimer timer;
    std::chrono::steady_clock::time_point nextExportDelivery;
};
