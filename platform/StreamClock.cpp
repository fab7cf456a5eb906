#include "StreamClock.h"

#include <algorithm>
#include <cmath>

StreamClock::StreamClock(double framesPerSecond)
    : nominalMsPerFrame(1000.0 / framesPerSecond)
    , msPerFrame(nominalMsPerFrame)
    , settledMsPerFrame(nominalMsPerFrame) {}

void StreamClock::Observe(int64_t frame, double ms) {
    const Point p{frame, ms};
    if (!started) {
        started = true;
        refFrame = frame;
        refMs = ms;
        OpenWindow(p);
    } else if (ms - window.startMs >= WindowMs) {
        CloseWindow();
        OpenWindow(p);
    }
    const double frames = static_cast<double>(frame - window.base.frame);
    const double sinceBase = ms - window.base.ms;
    // Before the first window has placed the line there is no line to be off.
    if (!primed || std::abs(Residual(p)) <= BreakMs) {
        window.onFrames += frames;
        window.onMs += sinceBase;
        ++window.on;
    } else {
        window.offFrames += frames;
        window.offMs += sinceBase;
        ++window.off;
    }
}

void StreamClock::OpenWindow(const Point& p) {
    window = Window{};
    window.startMs = p.ms;
    window.base = p;
}

// The window's mean report; the frame is rounded, which moves the mean by at most half a frame
// along the line, not off it.
void StreamClock::CloseWindow() {
    const bool moved = window.off > window.on;
    const double frames = moved ? window.offFrames / window.off : window.onFrames / window.on;
    const double ms = moved ? window.offMs / window.off : window.onMs / window.on;
    const auto shift = static_cast<int64_t>(std::llround(frames));
    const Point mean{window.base.frame + shift,
                     window.base.ms + ms + (static_cast<double>(shift) - frames) * msPerFrame};
    if (!primed || (count == 0 && moved)) {
        // The first quarter second holds the stream's start, when a device fills its queue in a
        // burst and its first estimates are rough: it places the line, but is no point of it; so
        // does the next window if that line was far off.
        primed = true;
        refFrame = mean.frame;
        refMs = mean.ms;
    } else if (!moved) {
        breaks = 0;
        Add(mean);
    } else if (++breaks >= BreaksBeforeRestart) {
        Restart(mean);
    }
}

void StreamClock::Add(const Point& p) {
    if (count == MaxPoints) {
        first = (first + 1) % MaxPoints;
        --count;
    }
    points[(first + count) % MaxPoints] = p;
    ++count;
    if (!settled) {
        DropBend();
    }
    Fit();
    settled = settled || (count >= SettlePoints && !Bent());
    if (settled) {
        settledMsPerFrame = msPerFrame;
    }
}

// A sound server's timing estimates bend for seconds after a stream starts, as its own smoothing
// settles, the longer the busier the machine; a straight line through the bend would be tilted by
// tens or hundreds of ppm. Until the clock has settled, the oldest points are dropped while the
// bend lasts. Once settled the points are kept, so that the line never jumps under clicks that are
// being placed.
void StreamClock::DropBend() {
    while (Bent()) {
        const std::size_t dropped = count / 4;
        first = (first + dropped) % MaxPoints;
        count -= dropped;
    }
}

// The older half of the points runs at another slope than the newer half.
bool StreamClock::Bent() const {
    if (count < BendPoints) {
        return false;
    }
    const std::size_t half = count / 2;
    return std::abs(Slope(0, half) - Slope(half, count - half)) > BendTolerance * nominalMsPerFrame;
}

// Least squares through `n` kept points from the `from`th on, in coordinates relative to
// `origin`.
StreamClock::Line StreamClock::LeastSquares(std::size_t from, std::size_t n,
                                            const Point& origin) const {
    Line line;
    for (std::size_t i = from; i < from + n; ++i) {
        const Point& p = points[(first + i) % MaxPoints];
        line.meanX += static_cast<double>(p.frame - origin.frame);
        line.meanY += p.ms - origin.ms;
    }
    line.meanX /= static_cast<double>(n);
    line.meanY /= static_cast<double>(n);
    double sxx = 0.0, sxy = 0.0;
    for (std::size_t i = from; i < from + n; ++i) {
        const Point& p = points[(first + i) % MaxPoints];
        const double x = static_cast<double>(p.frame - origin.frame) - line.meanX;
        sxx += x * x;
        sxy += x * (p.ms - origin.ms - line.meanY);
    }
    line.slope = sxx > 0.0 ? sxy / sxx : 0.0;
    return line;
}

double StreamClock::Slope(std::size_t from, std::size_t n) const {
    return LeastSquares(from, n, points[(first + from) % MaxPoints]).slope;
}

// The device's rate does not change when its stream breaks off: the slope is kept, and only the
// points that placed the line are dropped.
void StreamClock::Restart(const Point& p) {
    ++restarts;
    settled = false;
    breaks = 0;
    first = 0;
    count = 1;
    points[0] = p;
    Fit();
}

// Least squares through the kept points, relative to the newest. Until the points span a few
// seconds their slope says little, and the line keeps the slope it had (the nominal rate at
// first) and only moves to their mean.
void StreamClock::Fit() {
    const Point& newest = points[(first + count - 1) % MaxPoints];
    const Line line = LeastSquares(0, count, newest);
    if (count >= SlopePoints) {
        msPerFrame = std::clamp(line.slope, nominalMsPerFrame * (1.0 - MaxRateDeviation),
                                nominalMsPerFrame * (1.0 + MaxRateDeviation));
    }
    refFrame = newest.frame;
    refMs = newest.ms + line.meanY - line.meanX * msPerFrame;
}
