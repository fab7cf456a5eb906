#pragma once

#include <cstdint>

// A colour as red, green and blue, each 0 to 255.
struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const Colour&) const = default;
};

// Whether a circle or rectangle is drawn as its outline or filled with its colour.
enum class Fill { Outline, Solid };

// A drawing surface in pixel coordinates, origin at the top left, y growing downwards. Clearing
// shows the surface's own background colour. Coordinates may be fractional; each point is drawn on
// its nearest pixel.
class Surface {
public:
    virtual ~Surface() = default;

    // Width and height in pixels.
    virtual void Resize(int32_t width, int32_t height) = 0;
    virtual void Clear() = 0;
    virtual void Line(double x1, double y1, double x2, double y2, int32_t penWidth,
                      Colour colour) = 0;
    // Drawn with a one-pixel pen.
    virtual void Circle(double centreX, double centreY, double radius, Colour colour,
                        Fill fill) = 0;
    // By two opposite corners, both of which lie on the outline; drawn with a one-pixel pen.
    virtual void Rectangle(double x1, double y1, double x2, double y2, Colour colour,
                           Fill fill) = 0;
};
