#include "QtSurface.h"

#include "Rounding.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace {

// Each point lands on its nearest pixel, as on the original face; Qt would otherwise truncate
// fractional coordinates of aliased lines and put the mark at 29.9998 beside the hand at 30.
QPointF Pixel(double x, double y) {
    return QPointF(RoundHalfEven(x), RoundHalfEven(y));
}

QColor ToQColor(Colour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

QPen MakePen(Colour colour, int32_t width) {
    return QPen(ToQColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

template <typename Painting> void QtSurface::Draw(Painting&& paint) {
    // A surface of no size has nothing to draw on.
    if (picture.isNull()) {
        return;
    }
    QPainter painter(&picture);
    if (scale != 1.0) {
        // Lines wider than a pixel on a pixel grid of their own would show their steps.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
    }
    paint(painter);
    update();
}

QtSurface::QtSurface(QColor background, QWidget* parent)
    : QWidget(parent)
    , background(background) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    FitPicture(size());
}

void QtSurface::Resize(int32_t width, int32_t height) {
    const QSize scaled(RoundToInt32(width * scale), RoundToInt32(height * scale));
    resize(scaled);
    // A hidden widget takes its new size only when shown; the picture follows at once.
    FitPicture(scaled);
}

void QtSurface::Scale(double factor) {
    scale = factor;
    FitPicture(size());
    Clear();
}

void QtSurface::Clear() {
    picture.fill(background);
    update();
}

void QtSurface::Line(double x1, double y1, double x2, double y2, int32_t penWidth, Colour colour) {
    Draw([&](QPainter& painter) {
        painter.setPen(MakePen(colour, penWidth));
        painter.drawLine(Pixel(x1, y1), Pixel(x2, y2));
    });
}

void QtSurface::Circle(double centreX, double centreY, double radius, Colour colour, Fill fill) {
    Draw([&](QPainter& painter) {
        PrepareOutline(painter, colour, fill);
        const double r = RoundHalfEven(radius);
        painter.drawEllipse(Pixel(centreX, centreY), r, r);
    });
}

void QtSurface::Rectangle(double x1, double y1, double x2, double y2, Colour colour, Fill fill) {
    Draw([&](QPainter& painter) {
        PrepareOutline(painter, colour, fill);
        painter.drawRect(QRectF(Pixel(x1, y1), Pixel(x2, y2)).normalized());
    });
}

void QtSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), background);
    painter.drawImage(0, 0, picture);
}

void QtSurface::resizeEvent(QResizeEvent* event) {
    FitPicture(event->size());
    QWidget::resizeEvent(event);
}

void QtSurface::FitPicture(QSize size) {
    if (picture.size() == size) {
        return;
    }
    // What was drawn survives a resize where it still fits; new area shows the background.
    QImage resized(size, QImage::Format_RGB32);
    resized.fill(background);
    if (!picture.isNull() && !resized.isNull()) {
        QPainter painter(&resized);
        painter.drawImage(0, 0, picture);
    }
    picture = resized;
    update();
}

void QtSurface::PrepareOutline(QPainter& painter, Colour colour, Fill fill) const {
    painter.setPen(MakePen(colour, 1));
    if (fill == Fill::Solid) {
        painter.setBrush(ToQColor(colour));
    } else {
        painter.setBrush(Qt::NoBrush);
    }
}
