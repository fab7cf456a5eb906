#include "ClickChain.h"

#include <algorithm>
#include <cmath>

int64_t ClickChain::Place(double dueMs, double targetFrame, double msPerFrame) {
    double exact = 0.0;
    int64_t frame = 0;
    bool steered = false;
    if (chained) {
        const double frames = (dueMs - lastDueMs) / msPerFrame;
        const double carried = lastExact + frames;
        const double offset = targetFrame - carried;
        if (std::abs(offset) <= SnapFrames) {
            const double distanceMs = std::abs(dueMs - lastDueMs);
            const double most = MaxSteerFramesPerSecond * distanceMs / 1000.0;
            exact = carried + std::clamp(std::min(1.0, distanceMs / SteerMs) * offset, -most, most);
            frame = Chained(dueMs, exact, frames);
            steered = std::abs(exact - static_cast<double>(frame)) <= SnapFrames;
        }
    }
    if (!steered) {
        exact = targetFrame;
        frame = std::llround(targetFrame);
        pairCount = 0;
    }
    chained = true;
    lastDueMs = dueMs;
    lastExact = exact;
    lastFrame = frame;
    return frame;
}

int64_t ClickChain::Chained(double dueMs, double exact, double frames) {
    int64_t spacing = std::llround(frames);
    const double off = exact - static_cast<double>(lastFrame + spacing);
    spacing += off > SlackFrames ? 1 : off < -SlackFrames ? -1 : 0;
    Pair& pair = PairFor(dueMs - lastDueMs, frames);
    int64_t frame = lastFrame + std::clamp(spacing, pair.shorter, pair.shorter + 1);
    // The pair no longer spans the grid distance: it moves by one frame towards the clock.
    const double behind = exact - static_cast<double>(frame);
    if (std::abs(behind) > PairSlackFrames) {
        pair.shorter += behind > 0.0 ? 1 : -1;
        frame = lastFrame + std::clamp(spacing, pair.shorter, pair.shorter + 1);
    }
    return frame;
}

ClickChain::Pair& ClickChain::PairFor(double dueDistanceMs, double frames) {
    const int64_t key = std::llround(dueDistanceMs * 1000.0);
    for (std::size_t i = 0; i < pairCount; ++i) {
        if (pairs[i].dueDistanceUs == key) {
            return pairs[i];
        }
    }
    Pair& pair = pairCount < pairs.size() ? pairs[pairCount++] : pairs[nextPair++ % pairs.size()];
    pair = {key, static_cast<int64_t>(std::floor(frames))};
    return pair;
}
