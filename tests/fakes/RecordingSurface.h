#pragma once

#include "Surface.h"

#include <optional>
#include <variant>
#include <vector>

// Records the drawing calls since the surface was last cleared, in order.
class RecordingSurface final : public Surface {
public:
    struct LineCall {
        double x1, y1, x2, y2;
        int32_t penWidth;
        Colour colour;
        bool operator==(const LineCall&) const = default;
    };
    struct CircleCall {
        double centreX, centreY, radius;
        Colour colour;
        Fill fill;
        bool operator==(const CircleCall&) const = default;
    };
    // Nothing drawn on this surface in the tests draws rectangles: only that one was drawn counts.
    struct RectangleCall {
        bool operator==(const RectangleCall&) const = default;
    };
    using Call = std::variant<LineCall, CircleCall, RectangleCall>;

    void Resize(int32_t, int32_t) override {}
    void Clear() override { picture.emplace(); }
    void Line(double x1, double y1, double x2, double y2, int32_t penWidth,
              Colour colour) override {
        Draw(LineCall{x1, y1, x2, y2, penWidth, colour});
    }
    void Circle(double centreX, double centreY, double radius, Colour colour, Fill fill) override {
        Draw(CircleCall{centreX, centreY, radius, colour, fill});
    }
    void Rectangle(double, double, double, double, Colour, Fill) override { Draw(RectangleCall{}); }

    // What the surface shows now; empty when it was never cleared.
    std::vector<Call> Picture() const { return picture.value_or(std::vector<Call>{}); }

    // The lines of the current picture, in drawing order.
    std::vector<LineCall> Lines() const {
        std::vector<LineCall> lines;
        for (const Call& call : Picture()) {
            if (const auto* line = std::get_if<LineCall>(&call)) {
                lines.push_back(*line);
            }
        }
        return lines;
    }

private:
    void Draw(const Call& call) {
        if (picture) {
            picture->push_back(call);
        }
    }

    std::optional<std::vector<Call>> picture;
};
