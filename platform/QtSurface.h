#pragma once

#include "Surface.h"

#include <QColor>
#include <QImage>
#include <QWidget>

class QPainter;

// A drawing surface that is also a plain widget: drawing goes into a picture the size of the
// widget, and the widget shows that picture whenever it is repainted, so what was drawn stays until
// the next Clear however often the window is covered. Lines are drawn without antialiasing, so that
// every point lands on whole pixels as on the original face.
class QtSurface final : public QWidget, public Surface {
public:
    explicit QtSurface(QColor background, QWidget* parent = nullptr);

    void Resize(int32_t width, int32_t height) override;
    void Clear() override;
    void Line(double x1, double y1, double x2, double y2, int32_t penWidth, Colour colour) override;
    void Circle(double centreX, double centreY, double radius, Colour colour, Fill fill) override;
    void Rectangle(double x1, double y1, double x2, double y2, Colour colour, Fill fill) override;

    // What the surface shows now, pixel for pixel.
    const QImage& Picture() const { return picture; }

    // Draws everything larger by factor, in the same coordinates, at the screen's full sharpness.
    // The caller lays the widget out factor times larger first; the picture takes its size, and
    // what was drawn is cleared, to be drawn again.
    void Scale(double factor);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    template <typename Painting> void Draw(Painting&& paint);
    void FitPicture(QSize size);
    void PrepareOutline(QPainter& painter, Colour colour, Fill fill) const;

    QColor background;
    QImage picture;
    double scale = 1.0;
};
