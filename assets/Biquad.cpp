#include "Biquad.h"

#include <cmath>
#include <numbers>

Biquad::Biquad(Kind kind, double sampleRate, double hz, double q) {
    const double w = 2.0 * std::numbers::pi * hz / sampleRate;
    const double alpha = std::sin(w) / (2.0 * q);
    const double c = std::cos(w);
    std::array<double, 3> b{alpha, 0.0, -alpha};
    if (kind == Kind::HighPass) {
        b = {(1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0};
    } else if (kind == Kind::LowPass) {
        b = {(1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0};
    }
    const double a0 = 1.0 + alpha;
    k = {b[0] / a0, b[1] / a0, b[2] / a0, -2.0 * c / a0, (1.0 - alpha) / a0};
}

double Biquad::Step(double x) {
    const double y = k[0] * x + k[1] * x1 + k[2] * x2 - k[3] * y1 - k[4] * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
}
