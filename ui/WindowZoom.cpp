#include "WindowZoom.h"

#include "Rounding.h"

#include <algorithm>
#include <string>

WindowZoom::WindowZoom(QWidget& window, SettingsStore& settings)
    : window(window)
    , settings(settings)
    , size(window.size()) {
    // Only the window's own layout: dialogs and side windows it owns keep their size.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->isWindow()) {
            controls.push_back(
                {control, control->geometry(), std::max(control->font().pixelSize(), 0)});
        }
    }
}

bool WindowZoom::Apply(int32_t percentage) {
    if (std::find(Steps.begin(), Steps.end(), percentage) == Steps.end()) {
        return false;
    }
    percent = percentage;
    window.setFixedSize(Scaled(size.width()), Scaled(size.height()));
    for (const Control& control : controls) {
        if (!control.Widget) {
            continue;
        }
        control.Widget->setGeometry(Scaled(control.Geometry));
        if (control.FontPixels > 0) {
            QFont font = control.Widget->font();
            font.setPixelSize(Scaled(control.FontPixels));
            control.Widget->setFont(font);
        }
    }
    return true;
}

void WindowZoom::Store() const {
    settings.Write(Section, Key, std::to_string(percent));
}

int32_t WindowZoom::Stored() const {
    const std::string text = settings.Read(Section, Key, "100");
    const auto step = std::find_if(Steps.begin(), Steps.end(),
                                   [&](int32_t p) { return std::to_string(p) == text; });
    return step == Steps.end() ? 100 : *step;
}

int WindowZoom::Scaled(int pixels) const {
    return RoundToInt32(pixels * Factor());
}

QRect WindowZoom::Scaled(const QRect& geometry) const {
    const QPoint topLeft(Scaled(geometry.left()), Scaled(geometry.top()));
    const QPoint end(Scaled(geometry.left() + geometry.width()),
                     Scaled(geometry.top() + geometry.height()));
    return {topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())};
}
