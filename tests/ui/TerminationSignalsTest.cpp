#include "TerminationSignals.h"

#include <QApplication>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Each signal becomes a call on the interface thread, in order; what the window does with SIGTERM
// is the program's end-to-end test.
TEST(TerminationSignalsTest, EachSignalBecomesACallOnTheInterfaceThread) {
    std::vector<int> received;
    TerminationSignals watched([&](int number) { received.push_back(number); });
    raise(SIGINT);
    raise(SIGHUP);
    raise(SIGTERM);
    // The signal's byte reaches the notifier through the kernel: a little real time at most.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received.size() < 3 && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(received, (std::vector<int>{SIGINT, SIGHUP, SIGTERM}));
}

} // namespace
