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
    struct sigaction own {};
    own.sa_handler = &Ignore;
    sigemptyset(&own.sa_mask);
    struct sigaction before {};
    ASSERT_EQ(sigaction(SIGTERM, &own, &before), 0);
    {
        TerminationSignals signalsWatched([](int) {});
        struct sigaction during {};
        sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, &Ignore);
    }
    struct sigaction after {};
    sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, &Ignore);
    sigaction(SIGTERM, &before, nullptr);
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
