#include "TempoGrowth.h"

#include "Rounding.h"

#include <cmath>

double TempoGrowth::Exponent(int32_t v) {
    return v * 0.1;
}

void TempoGrowth::DrawCurve(Surface& surface, int32_t v) {
    surface.Clear();
    const double k = Exponent(v);
    // The step is added to a double, so the last dot lies just short of x = 1; the bound still
    // lets it in, giving eleven dots.
    for (double x = 0; x <= 1; x += 0.1) {
        surface.Circle(100 + 80 * x, 100 - 80 * std::pow(x, k), DotRadius, DotColour,
                       Fill::Outline);
    }
}

void TempoGrowth::FillRamp(TempoMemoryState& memory, int32_t v) {
    const int32_t n = memory.CurSlot;
    if (n < 0 || n >= static_cast<int32_t>(memory.TempoMemory.size())) {
        return;
    }
    const double k = Exponent(v);
    const double start = memory.TempoMemory[0];
    const double rise = memory.TempoMemory[n] - start;
    for (int32_t i = 1; i < n; ++i) {
        const double share = std::pow(static_cast<double>(i) / n, k);
        memory.TempoMemory[i] = RoundToInt32(share * rise + start);
    }
    memory.LastSlot = n;
}
