#include "ClickChain.h"

#include <algorithm>
#include <cmath>

int64_t ClickChain::Place(double dueMs, double targetFrame, double msPerFrame) {
    double exact = targetFrame;
    int64_t frame = std::llround(targetFrame);
    if (chained) {
        const double step = (dueMs - lastDueMs) / msPerFrame;
        const double carried = lastExact + step;
        const double offset = targetFrame - carried;
        if (std::abs(offset) <= SnapFrames) {
            exact = carried + std::min(1.0, std::abs(dueMs - lastDueMs) / SteerMs) * offset;
            frame = lastFrame + std::llround(step);
            const double off = exact - static_cast<double>(frame);
            frame += off > SlackFrames ? 1 : off < -SlackFrames ? -1 : 0;
        }
    }
    chained = true;
    lastDueMs = dueMs;
    lastExact = exact;
    lastFrame = frame;
    return frame;
}
