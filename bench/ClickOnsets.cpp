#include "ClickOnsets.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

namespace ClickOnsets {

std::vector<double> Find(std::span<const int16_t> recording, const Options& options) {
    std::vector<double> onsets;
    int32_t peak = 0;
    for (const int16_t x : recording) {
        peak = std::max(peak, std::abs(static_cast<int32_t>(x)));
    }
    if (peak == 0) {
        return onsets;
    }
    const double threshold = options.thresholdShare * peak;
    // A recording that begins inside a click does not count that click.
    int64_t quiet = 0;
    for (std::size_t i = 1; i < recording.size(); ++i) {
        const double level = std::abs(static_cast<double>(recording[i]));
        if (level < threshold) {
            ++quiet;
            continue;
        }
        if (quiet >= options.quietSamples) {
            const double before = std::abs(static_cast<double>(recording[i - 1]));
            const double fraction =
                before < threshold ? (threshold - before) / (level - before) : 0.0;
            onsets.push_back(static_cast<double>(i - 1) + fraction);
        }
        quiet = 0;
    }
    return onsets;
}

Timing Measure(std::span<const double> onsets) {
    Timing timing;
    timing.clicks = onsets.size();
    if (onsets.size() < 2) {
        return timing;
    }
    std::vector<double> intervals(onsets.size() - 1);
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        intervals[i - 1] = onsets[i] - onsets[i - 1];
    }
    timing.meanInterval = (onsets.back() - onsets.front()) / static_cast<double>(intervals.size());
    std::vector<double> deviations(intervals.size());
    std::transform(intervals.begin(), intervals.end(), deviations.begin(),
                   [&](double d) { return std::abs(d - timing.meanInterval); });
    std::sort(deviations.begin(), deviations.end());
    timing.maxDeviation = deviations.back();
    // Nearest rank.
    const auto rank =
        static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(deviations.size())));
    timing.p99Deviation = deviations[std::max<std::size_t>(rank, 1) - 1];
    return timing;
}

double DriftPpm(double meanInterval, double recordedSamplesPerSecond, double nominalSeconds) {
    return (meanInterval / recordedSamplesPerSecond / nominalSeconds - 1.0) * 1e6;
}

} // namespace ClickOnsets
