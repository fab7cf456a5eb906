#include "PendingEvents.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <glib.h>
#include <poll.h>

static_assert(sizeof(GPollFD) == sizeof(pollfd) &&
                  offsetof(GPollFD, events) == offsetof(pollfd, events) &&
                  offsetof(GPollFD, revents) == offsetof(pollfd, revents),
              "GLib's poll records are handed to poll() as they are");

namespace {

// Qt's dispatchers that run on GLib (QEventDispatcherGlib and its window-system variants) use the
// default main context in the main thread.
bool DispatcherRunsOnGlib() {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher != nullptr &&
           std::strstr(dispatcher->metaObject()->className(), "Glib") != nullptr;
}

} // namespace

PendingEvents::PendingEvents()
    : watched(8)
    , due(Clock::now()) {}

PendingEvents::~PendingEvents() = default;

bool PendingEvents::Any() {
    if (!watching || Clock::now() >= due) {
        return true;
    }
    auto* records = reinterpret_cast<pollfd*>(watched.data());
    return poll(records, static_cast<nfds_t>(watchedCount), 0) > 0;
}

void PendingEvents::Deliver() {
    QCoreApplication::processEvents();
    LearnWhatToWatch();
}

bool PendingEvents::DeliverIfAny() {
    if (!Any()) {
        return false;
    }
    Deliver();
    return true;
}

void PendingEvents::LearnWhatToWatch() {
    watching = DispatcherRunsOnGlib();
    if (!watching) {
        return;
    }
    GMainContext* context = g_main_context_default();
    if (!g_main_context_acquire(context)) {
        watching = false;
        return;
    }
    gint priority = 0;
    gint timeoutMs = -1;
    // A source that is ready already makes the timeout 0, so the next pass delivers again.
    g_main_context_prepare(context, &priority);
    for (;;) {
        watchedCount = g_main_context_query(context, priority, &timeoutMs, watched.data(),
                                            static_cast<gint>(watched.size()));
        if (watchedCount <= static_cast<int>(watched.size())) {
            break;
        }
        watched.resize(static_cast<std::size_t>(watchedCount));
    }
    g_main_context_release(context);

    const auto quiet = timeoutMs < 0 ? LongestQuiet
                                     : std::min<std::chrono::milliseconds>(
                                           std::chrono::milliseconds(timeoutMs), LongestQuiet);
    due = Clock::now() + quiet;
}
