#pragma once

#include <array>

// A second-order filter with the coefficients of the audio equalizer cookbook: band-pass with
// constant peak gain, high-pass or low-pass.
class Biquad {
public:
    enum class Kind { BandPass, HighPass, LowPass };

    Biquad(Kind kind, double sampleRate, double hz, double q);

    double Step(double x);

private:
    std::array<double, 5> k{};
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
};
