#include "TerminationSignals.h"

#include "FormFixture.h"

#include <QApplication>
#include <chrono>
#include <csignal>
#include <thread>
#include <vector>

namespace {

// Delivers events until the condition holds; the signal's byte reaches the notifier through the
// kernel, so this waits a little real time at most.
template <typename Condition> bool DeliverUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

void Ignore(int) {}

TEST(TerminationSignalsTest, RestoresThePreviousHandlingAtItsEnd) {
    const auto handler = [] {
        struct sigaction now {};
        sigaction(SIGTERM, nullptr, &now);
        return now.sa_handler;
    };
    const auto before = signal(SIGTERM, &Ignore);
    {
        TerminationSignals signalsWatched([](int) {});
        EXPECT_NE(handler(), &Ignore);
    }
    EXPECT_EQ(handler(), &Ignore);
    signal(SIGTERM, before);
}

using TerminationTest = FormFixture;

// Each signal becomes a call on the interface thread; SIGTERM closes the window like the close box.
TEST_F(TerminationTest, SigtermClosesTheWindowLikeTheCloseBox) {
    std::vector<int> received;
    TerminationSignals signalsWatched([&](int number) {
        received.push_back(number);
        if (number == SIGTERM) {
            form->RequestClose(FormMain::BySystem);
        }
    });
    ticks.now += 12000;
    raise(SIGINT);
    raise(SIGHUP);
    raise(SIGTERM);
    EXPECT_TRUE(DeliverUntil([&] { return !form->Running; }));
    EXPECT_EQ(received, (std::vector<int>{SIGINT, SIGHUP, SIGTERM}));
    EXPECT_TRUE(MicrophoneMuted());
    EXPECT_EQ(settings.store.Stored("Time", "TotalTime"), "12");
}

} // namespace
