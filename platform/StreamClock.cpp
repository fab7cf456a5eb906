#include "StreamClock.h"

#include <algorithm>
#include <cmath>

StreamClock::StreamClock(double framesPerSecond)
    : nominalMsPerFrame(1000.0 / framesPerSecond)
    , msPerFrame(nominalMsPerFrame) {}

void StreamClock::Observe(int64_t frame, double ms) {
    const Point p{frame, ms};
    if (!started) {
        started = true;
        refFrame = frame;
        refMs = ms;
        windowStartMs = ms;
        candidate = p;
        return;
    }
    if (ms - windowStartMs >= WindowMs) {
        CloseWindow();
        windowStartMs = ms;
        candidate = p;
    } else if (Residual(p) < Residual(candidate)) {
        candidate = p;
    }
}

void StreamClock::CloseWindow() {
    if (count > 0 && std::abs(Residual(candidate)) > BreakMs) {
        if (++breaks < BreaksBeforeRestart) {
            return;
        }
        Restart(candidate);
        return;
    }
    breaks = 0;
    if (count == MaxPoints) {
        first = (first + 1) % MaxPoints;
        --count;
    }
    points[(first + count) % MaxPoints] = candidate;
    ++count;
    Fit();
}

// The device's rate does not change when its stream breaks off: the slope is kept, and only the
// points that placed the line are dropped.
void StreamClock::Restart(const Point& p) {
    ++restarts;
    breaks = 0;
    first = 0;
    count = 1;
    points[0] = p;
    Fit();
}

// Least squares through the kept points, in coordinates relative to the newest point. Until the
// points span most of a second their slope says little, and the line keeps the slope it had (the
// nominal rate at first) and only moves to their mean.
void StreamClock::Fit() {
    const Point& newest = points[(first + count - 1) % MaxPoints];
    double sumX = 0.0, sumY = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const Point& p = points[(first + i) % MaxPoints];
        sumX += static_cast<double>(p.frame - newest.frame);
        sumY += p.ms - newest.ms;
    }
    const double n = static_cast<double>(count);
    const double meanX = sumX / n;
    const double meanY = sumY / n;
    if (count >= SlopePoints) {
        double sxx = 0.0, sxy = 0.0;
        for (std::size_t i = 0; i < count; ++i) {
            const Point& p = points[(first + i) % MaxPoints];
            const double x = static_cast<double>(p.frame - newest.frame) - meanX;
            sxx += x * x;
            sxy += x * (p.ms - newest.ms - meanY);
        }
        msPerFrame = std::clamp(sxy / sxx, nominalMsPerFrame * (1.0 - MaxRateDeviation),
                                nominalMsPerFrame * (1.0 + MaxRateDeviation));
    }
    refFrame = newest.frame;
    refMs = newest.ms + meanY - meanX * msPerFrame;
}
