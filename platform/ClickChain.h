#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Turns the exact stream positions of successive clicks into whole frames. A click is placed by
// its grid distance from the click before, which keeps successive clicks exactly as far apart as
// their due ticks; the exact position that the stream clock gives only steers that chain, by a few
// frames a second at most, so that a clock still finding its line after the stream starts cannot
// shake the clicks. The chain starts anew at the exact position when told to (the stream broke off
// and the clock started over) or when it is hopelessly far off. Rounding costs each click up to
// three quarters of a frame.
//
// Each grid distance keeps the pair of neighbouring spacings it was first given. The stream clock
// measures the device's rate only to a few millionths; where the grid distance is almost a whole
// number of frames, that trembling would otherwise make the spacing take three values (22050,
// 22051 and 22052 frames), an unevenness of a sample that the steady grid does not have. Within its
// pair a spacing can follow any rate between its two values; the pair moves by a frame only when a
// click has come more than PairSlackFrames off its exact place.
class ClickChain {
public:
    // The frame for a click due at dueMs whose exact position the stream clock puts at
    // targetFrame; msPerFrame is the stream clock's rate.
    int64_t Place(double dueMs, double targetFrame, double msPerFrame);
    // The next click starts a new chain at its exact position.
    void Break() { chained = false; }

    // The chain follows the stream clock by the share of its offset that the time since the last
    // click is of SteerMs: slowly enough that the clock's trembling (a frame or so) hardly reaches
    // the clicks, fast enough that a rate some ppm off, as the clock's is for a while after the
    // stream starts, leaves the chain no more than a frame or two behind.
    static constexpr double SteerMs = 2000.0;
    // The chain moves towards the clock by no more than this many frames per second of grid
    // (90 ppm): it follows any real device's clock, and a jump of the clock is caught up
    // without a jump of the clicks.
    static constexpr double MaxSteerFramesPerSecond = 4.0;
    // Further off than this (a tenth of a second), the chain gives way to the clock at once.
    static constexpr double SnapFrames = 4410.0;
    // A click lies the rounded grid distance after the one before, moved by a frame towards its
    // exact place only when it would lie further than this from it.
    static constexpr double SlackFrames = 0.75;
    // A click may lie this far (a quarter of a millisecond) from its exact place before its pair
    // moves: far enough that the steering's lag behind a clock whose rate is off by tens of ppm
    // at first does not move it.
    static constexpr double PairSlackFrames = 10.0;

private:
    // The shorter of the two spacings that clicks this far apart on the grid take.
    struct Pair {
        int64_t dueDistanceUs = 0;
        int64_t shorter = 0;
    };

    int64_t Chained(double dueMs, double exact, double frames);
    Pair& PairFor(double dueDistanceMs, double frames);

    bool chained = false;
    double lastDueMs = 0.0;
    double lastExact = 0.0;
    int64_t lastFrame = 0;
    // A rhythm has few distinct grid distances; an accelerando, whose every distance is new,
    // overwrites the oldest.
    std::array<Pair, 8> pairs{};
    std::size_t pairCount = 0;
    std::size_t nextPair = 0;
};
