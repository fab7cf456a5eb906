#include "MetronomePicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>

namespace {

// The case is symmetric about the middle of the pivot's pixel column, so that the rod stands
// upright in its middle.
constexpr double Axis = MetronomePivot.x() + 0.5;

const QColor Outline(128, 86, 16);
const QColor Plinth(118, 70, 26);
const QColor WindowGlass(255, 248, 222);
const QColor ScaleMark(176, 132, 60);

void DrawPlinth(QPainter& painter) {
    painter.setPen(QPen(Outline.darker(130), 1));
    painter.setBrush(Plinth);
    painter.drawRoundedRect(QRectF(Axis - 22.5, 55.5, 45, 6), 1.5, 1.5);
}

void DrawCase(QPainter& painter) {
    const QPolygonF body{QPointF(Axis - 21, 57), QPointF(Axis + 21, 57), QPointF(Axis + 5.5, 4.5),
                         QPointF(Axis - 5.5, 4.5)};
    // Light falls from the left: the face darkens towards its right edge.
    QLinearGradient shade(Axis - 21, 0, Axis + 21, 0);
    shade.setColorAt(0.0, QColor(255, 240, 110));
    shade.setColorAt(0.55, QColor(250, 214, 40));
    shade.setColorAt(1.0, QColor(214, 166, 18));
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(shade);
    painter.drawPolygon(body);

    painter.setBrush(QColor(226, 178, 30));
    painter.drawRoundedRect(QRectF(Axis - 7, 1.5, 14, 4), 1.5, 1.5);
}

void DrawFrontWindow(QPainter& painter) {
    const double foot = MetronomePivot.y() + 1;
    const QPolygonF window{QPointF(Axis - 7, foot), QPointF(Axis + 7, foot), QPointF(Axis + 3, 10),
                           QPointF(Axis - 3, 10)};
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(WindowGlass);
    painter.drawPolygon(window);

    // The tempo scale behind the pendulum.
    painter.setPen(QPen(ScaleMark, 1));
    for (int y = 14; y <= 34; y += 4) {
        const double half = y % 8 == 2 ? 2.0 : 1.0;
        painter.drawLine(QPointF(Axis - half, y + 0.5), QPointF(Axis + half, y + 0.5));
    }
}

void DrawNamePlateAndKey(QPainter& painter) {
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(QColor(200, 150, 40));
    painter.drawRoundedRect(QRectF(Axis - 6, 45.5, 12, 4), 1, 1);

    // The winding key on the right flank.
    painter.setPen(QPen(Outline.darker(120), 1.5));
    painter.drawLine(QPointF(Axis + 17, 47), QPointF(Axis + 24, 47));
    painter.setPen(QPen(Outline, 1));
    painter.setBrush(QColor(190, 190, 196));
    painter.drawRoundedRect(QRectF(Axis + 23.5, 42.5, 4, 9), 1.5, 1.5);
}

void DrawPivot(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 60, 20));
    painter.drawEllipse(QPointF(Axis, MetronomePivot.y() + 0.5), 1.8, 1.8);
}

// The pendulum at rest, leaning a little as in the icon, with its weight.
void DrawRestingPendulum(QPainter& painter) {
    const QPointF pivot(Axis, MetronomePivot.y() + 0.5);
    painter.setPen(QPen(QColor(60, 42, 16), 1.3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(pivot, QPointF(Axis + 4.5, 9));
    painter.save();
    painter.translate(Axis + 3.2, 21);
    painter.rotate(8.4);
    painter.setPen(QPen(QColor(60, 42, 16), 0.8));
    painter.setBrush(QColor(160, 160, 168));
    painter.drawRoundedRect(QRectF(-2.5, -2, 5, 4), 0.8, 0.8);
    painter.restore();
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    // Each size is drawn for itself, not scaled from another.
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(static_cast<double>(size) / MetronomePictureSize,
                      static_cast<double>(size) / MetronomePictureSize);
        DrawPlinth(painter);
        DrawCase(painter);
        DrawFrontWindow(painter);
        DrawNamePlateAndKey(painter);
        DrawRestingPendulum(painter);
        DrawPivot(painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(picture));
    }
    return icon;
}

QImage MetronomePicture(double devicePixelRatio) {
    const int pixels = static_cast<int>(std::ceil(MetronomePictureSize * devicePixelRatio));
    QImage picture(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawPlinth(painter);
    DrawCase(painter);
    DrawFrontWindow(painter);
    DrawNamePlateAndKey(painter);
    DrawPivot(painter);
    return picture;
}
