#pragma once

#include "Surface.h"

#include <variant>
#include <vector>

// Records every drawing call in order, and the size the surface was given.
class RecordingSurface final : public Surface {
public:
    struct Clearing {
        bool operator==(const Clearing&) const = default;
    };
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
    struct RectangleCall {
        double x1, y1, x2, y2;
        Colour colour;
        Fill fill;
        bool operator==(const RectangleCall&) const = default;
    };
    using Call = std::variant<Clearing, LineCall, CircleCall, RectangleCall>;

    void Resize(int32_t newWidth, int32_t newHeight) override {
        width = newWidth;
        height = newHeight;
    }
    void Clear() override { calls.emplace_back(Clearing{}); }
    void Line(double x1, double y1, double x2, double y2, int32_t penWidth,
              Colour colour) override {
        calls.emplace_back(LineCall{x1, y1, x2, y2, penWidth, colour});
    }
    void Circle(double centreX, double centreY, double radius, Colour colour, Fill fill) override {
        calls.emplace_back(CircleCall{centreX, centreY, radius, colour, fill});
    }
    void Rectangle(double x1, double y1, double x2, double y2, Colour colour, Fill fill) override {
        calls.emplace_back(RectangleCall{x1, y1, x2, y2, colour, fill});
    }

    // The calls since the last Clear: what the surface shows now. Empty when it was never cleared.
    std::vector<Call> Picture() const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (std::holds_alternative<Clearing>(*it)) {
                return {it.base(), calls.end()};
            }
        }
        return {};
    }

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

    std::vector<Call> calls;
    int32_t width = 0;
    int32_t height = 0;
};
