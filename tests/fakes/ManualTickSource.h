#pragma once

#include "TickSource.h"

// A tick source that tests advance by hand, so that timed behaviour sees exact times without any
// waiting.
class ManualTickSource final : public TickSource {
public:
    explicit ManualTickSource(int32_t start = 0)
        : now(start) {}

    int32_t GetTickCount() override { return now; }

    int32_t now;
};
