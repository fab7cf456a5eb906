#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Finds the clicks in a recording and measures how evenly they lie. Every click of one sample is
// the same waveform, so the point where it first crosses a threshold after silence marks the same
// instant of each; interpolating between the two samples around the crossing gives it to a
// fraction of a sample.
namespace ClickOnsets {

struct Options {
    // Share of the recording's peak that counts as sound.
    double thresholdShare = 0.25;
    // A new click is taken only after the signal stayed below the threshold this long.
    int64_t quietSamples = 882;
};

// Onset positions in samples, in order.
std::vector<double> Find(std::span<const int16_t> recording, const Options& options = {});

struct Timing {
    std::size_t clicks = 0;
    double meanInterval = 0.0;
    // Deviation of each inter-onset interval from the mean interval, in samples.
    double maxDeviation = 0.0;
    double p99Deviation = 0.0;
};

Timing Measure(std::span<const double> onsets);

// Drift of the clicks against the system clock: the mean interval turned into seconds by the
// recording's own rate (its samples per second of system time), against the nominal interval.
double DriftPpm(double meanInterval, double recordedSamplesPerSecond, double nominalSeconds);

} // namespace ClickOnsets
