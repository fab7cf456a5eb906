#include "BeatLoop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <utility>

namespace {

// An export lets the window repaint and show its percentage this often.
constexpr std::chrono::milliseconds ExportDelivery{15};

} // namespace

BeatLoop::BeatLoop(TickSource& ticks, QObject& owner)
    : context(owner)
    , timer(ticks, [this] { BeatDue(); }) {}

void BeatLoop::BeatDue() {
    if (followed != nullptr && followed->Pulse()) {
        Arm();
    }
}

void BeatLoop::Arm() {
    if (const std::optional<int64_t> wake = followed ? followed->NextWakeFrame() : std::nullopt) {
        timer.ArmAt(*wake);
    } else {
        timer.Disarm();
    }
}

void BeatLoop::Later(std::function<void()> work) {
    QMetaObject::invokeMethod(&context, std::move(work), Qt::QueuedConnection);
}

void BeatLoop::DeliverDuringExport() {
    // Delivering costs an iteration of the event dispatcher; once in a while is enough for the
    // percentage to show and for keys and close requests to be turned away.
    const auto now = std::chrono::steady_clock::now();
    if (now < nextExportDelivery) {
        return;
    }
    nextExportDelivery = now + ExportDelivery;
    QCoreApplication::processEvents();
}
