#pragma once

#include "TickSource.h"

#include <cstdint>

// A tick source that tests advance by hand, so that timed behaviour sees exact times without any
// waiting. The time is kept in milliseconds; the frames are the first frame of each millisecond,
// moved on by `extraFrames` where a test needs a time between two milliseconds. The wall clock
// runs with the same milliseconds unless a test holds the frames still against it.
class ManualTickSource final : public TickSource {
public:
    explicit ManualTickSource(int64_t start = 0)
        : now(start) {}

    int64_t Frames() override { return (now * 441 + 9) / 10 + extraFrames; }
    int64_t SteadyMs() override { return now + wallAhead; }

    int64_t now;
    int64_t extraFrames = 0;
    int64_t wallAhead = 0;
};
