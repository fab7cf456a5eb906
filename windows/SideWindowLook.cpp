#include "SideWindowLook.h"

#include <QPalette>

void SideWindowLook::PeachBackground(QWidget& window) {
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(255, 224, 192));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
}

QFont SideWindowLook::FixedPitch(double points) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(points);
    return font;
}

QFont SideWindowLook::SmallSans() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    return font;
}
