#pragma once

#include "Surface.h"

#include <vector>

// Records the lines drawn since the surface was last cleared, in order; other shapes are not kept.
class RecordingSurface final : public Surface {
public:
    struct LineCall {
        double x1, y1, x2, y2;
        int32_t penWidth;
        Colour colour;
        bool operator==(const LineCall&) const = default;
    };

    void Resize(int32_t, int32_t) override {}
    void Clear() override { lines.clear(); }
    void Line(double x1, double y1, double x2, double y2, int32_t penWidth,
              Colour colour) override {
        lines.push_back({x1, y1, x2, y2, penWidth, colour});
    }
    void Circle(double, double, double, Colour, Fill) override {}
    void Rectangle(double, double, double, double, Colour, Fill) override {}

    const std::vector<LineCall>& Lines() const { return lines; }

private:
    std::vector<LineCall> lines;
};
