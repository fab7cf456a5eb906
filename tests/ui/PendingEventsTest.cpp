#include "PendingEvents.h"

#include <QApplication>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Delivers until nothing is left, so that each test starts from a quiet dispatcher.
void Settle(PendingEvents& events) {
    for (int i = 0; i < 100 && events.Any(); ++i) {
        events.Deliver();
    }
}

template <typename Condition> bool WaitFor(Condition condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

TEST(PendingEventsTest, WatchesQtsDispatcherCheaplyOnThisPlatform) {
    PendingEvents events;
    events.Deliver();
    EXPECT_TRUE(events.Watching());
    Settle(events);
    EXPECT_FALSE(events.Any());
}

TEST(PendingEventsTest, APostedEventIsSeenAndDelivered) {
    PendingEvents events;
    Settle(events);
    QObject receiver;
    int calls = 0;
    QMetaObject::invokeMethod(
        &receiver, [&] { ++calls; }, Qt::QueuedConnection);
    EXPECT_TRUE(events.Any());
    EXPECT_TRUE(events.DeliverIfAny());
    EXPECT_EQ(calls, 1);
    Settle(events);
    EXPECT_FALSE(events.DeliverIfAny());
}

TEST(PendingEventsTest, EventsPostedWhileDeliveringAreSeenOnTheNextPass) {
    PendingEvents events;
    Settle(events);
    QObject receiver;
    int calls = 0;
    QMetaObject::invokeMethod(
        &receiver,
        [&] {
            ++calls;
            QMetaObject::invokeMethod(
                &receiver, [&] { ++calls; }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    for (int pass = 0; pass < 10 && calls < 2; ++pass) {
        events.DeliverIfAny();
    }
    EXPECT_EQ(calls, 2);
}

TEST(PendingEventsTest, ATimerIsDeliveredWhenItIsDue) {
    PendingEvents events;
    Settle(events);
    bool fired = false;
    QTimer::singleShot(30, [&] { fired = true; });
    events.Deliver();
    EXPECT_TRUE(WaitFor([&] { return events.Any(); }, std::chrono::seconds(5)));
    for (int pass = 0; pass < 1000 && !fired; ++pass) {
        events.DeliverIfAny();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_TRUE(fired);
}

TEST(PendingEventsTest, DataOnAWatchedSocketIsSeen) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0);
    PendingEvents events;
    {
        QSocketNotifier notifier(ends[0], QSocketNotifier::Read);
        int activations = 0;
        QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
            char byte;
            while (read(ends[0], &byte, 1) == 1) {
            }
            ++activations;
        });
        Settle(events);
        ASSERT_FALSE(events.Any());
        ASSERT_EQ(write(ends[1], "x", 1), 1);
        EXPECT_TRUE(events.Any());
        for (int pass = 0; pass < 10 && activations == 0; ++pass) {
            events.DeliverIfAny();
        }
        EXPECT_EQ(activations, 1);
    }
    close(ends[0]);
    close(ends[1]);
}

TEST(PendingEventsTest, NeverStaysQuietLongerThanItsLimit) {
    PendingEvents events;
    Settle(events);
    ASSERT_FALSE(events.Any());
    std::this_thread::sleep_for(PendingEvents::LongestQuiet + std::chrono::milliseconds(5));
    EXPECT_TRUE(events.Any());
}

} // namespace
