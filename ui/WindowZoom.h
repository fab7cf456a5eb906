#pragma once

#include "SettingsStore.h"

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

// The main window drawn larger, to be read from a music stand: every control of the fixed layout
// is placed and sized factor times larger and its font is set in a pixel size factor times larger,
// so that text stays sharp. The zoom is kept in the settings store for the next run.
class WindowZoom {
public:
    // Takes the window's layout as it stands as the layout at 100 %.
    WindowZoom(QWidget& window, SettingsStore& settings);

    // Lays the window out at percent, one of Steps; any other value leaves it as it is.
    bool Apply(int32_t percent);
    // Keeps the zoom for the next run, and reads it back; a value not among Steps reads as 100.
    void Store() const;
    int32_t Stored() const;

    int32_t Percent() const { return percent; }
    double Factor() const { return percent / 100.0; }
    // A length of the 100 % layout at the present zoom.
    int Scaled(int pixels) const;

    static constexpr std::array<int32_t, 4> Steps{100, 150, 200, 300};
    static constexpr const char* Section = "Window";
    static constexpr const char* Key = "Zoom";

private:
    struct Control {
        QPointer<QWidget> Widget;
        QRect Geometry;
        int FontPixels; // 0 where the control's font has no pixel size of its own
    };

    // Scaling the corners keeps neighbouring controls touching where they touch at 100 %.
    QRect Scaled(const QRect& geometry) const;

    QWidget& window;
    SettingsStore& settings;
    QSize size;
    std::vector<Control> controls;
    int32_t percent = 100;
};
