#pragma once

#include <cstdint>

// Turns the exact stream positions of successive clicks into whole frames. A click is placed by
// its grid distance from the click before, which keeps successive clicks exactly as far apart as
// their due ticks; the exact position that the stream clock gives only steers that chain slowly,
// and takes over outright when the chain is far off it (the stream broke off, or the clock started
// anew). Rounding costs each click up to three quarters of a frame, but the distances between
// successive clicks take only two neighbouring values, even where the grid distance is almost a
// whole number of frames and the clock trembles in its last decimals.
class ClickChain {
public:
    // The frame for a click due at dueMs whose exact position the stream clock puts at
    // targetFrame; msPerFrame is the stream clock's rate.
    int64_t Place(double dueMs, double targetFrame, double msPerFrame);
    // The next click starts a new chain at its exact position.
    void Break() { chained = false; }

    // The chain follows the stream clock by the share of its offset that the time since the last
    // click is of SteerMs: slowly enough that the clock's trembling hardly reaches the clicks.
    static constexpr double SteerMs = 20000.0;
    // Further off than this, the chain gives way to the clock at once.
    static constexpr double SnapFrames = 44.1;
    // A click lies the rounded grid distance after the one before, moved by a frame towards its
    // exact place only when it would lie further than this from it.
    static constexpr double SlackFrames = 0.75;

private:
    bool chained = false;
    double lastDueMs = 0.0;
    double lastExact = 0.0;
    int64_t lastFrame = 0;
};
