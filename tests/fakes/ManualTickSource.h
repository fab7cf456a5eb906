#pragma once

#include "TickSource.h"

#include <vector>

// A tick source that tests advance by hand. Sleep advances the clock instead of waiting, so a loop
// under test runs as fast as the machine allows and still sees exact times.
class ManualTickSource final : public TickSource {
public:
    explicit ManualTickSource(int32_t start = 0) : now(start) {}

    int32_t GetTickCount() override { return now; }
    void Sleep(int32_t milliseconds) override {
        sleeps.push_back(milliseconds);
        now += milliseconds;
    }

    void Set(int32_t tick) { now = tick; }
    void Advance(int32_t milliseconds) { now += milliseconds; }

    int32_t now;
    std::vector<int32_t> sleeps;
};
