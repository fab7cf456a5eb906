#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

struct _GPollFD;

// The main loop's message delivery, made cheap for the passes that find nothing to deliver. Asking
// Qt to deliver costs a whole iteration of its dispatcher (several microseconds with cold caches,
// a large share of a loop that turns a thousand times a second); most passes have nothing for it.
//
// Qt's dispatcher on Linux is a GLib main context. After every delivery this object asks that
// context which file descriptors it waits on (its wake-up descriptor, which every posted event,
// every window system event and every new descriptor signals, and the socket notifiers) and how
// long until its next timer. A pass then delivers only when one of those descriptors is readable or
// the timer is due; checking costs one poll() with a zero timeout.
class PendingEvents {
public:
    PendingEvents();
    ~PendingEvents();
    PendingEvents(const PendingEvents&) = delete;
    PendingEvents& operator=(const PendingEvents&) = delete;

    // True when the dispatcher has something to deliver (or may have: when this object cannot
    // tell, it always says so).
    bool Any();
    // Delivers everything pending to its handlers, then learns what to watch for next.
    void Deliver();
    // Any(), then Deliver() when it is true; true when something was delivered.
    bool DeliverIfAny();

    // Whether the cheap check works here (Qt runs on the default GLib main context).
    bool Watching() const { return watching; }

    // A wake-up that reaches the dispatcher by a way not seen here is delivered this late at most.
    static constexpr std::chrono::milliseconds LongestQuiet{50};

private:
    using Clock = std::chrono::steady_clock;

    void LearnWhatToWatch();

    bool watching = false;
    std::vector<_GPollFD> watched;
    int watchedCount = 0;
    Clock::time_point due;
};
