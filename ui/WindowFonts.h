#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>

// The main window's faces and how its labels are set up, in the pixels of a 96-dpi screen the
// window is laid out in.
namespace WindowFonts {

enum class Align { Left, Centre };

// The size of a font given in points, in pixels of a 96-dpi screen: a high-density screen scales
// the whole window evenly.
int PointsToPixels(double points);
// The faces the window was designed with; where they are missing, their metric twins stand in.
QFont SansSerif(double points, bool bold);
QFont FixedPitch(double points, bool bold);
void SetUpLabel(QLabel& label, QRect geometry, const QString& text, const QFont& font, Align align,
                bool wrap);
void SetForeColour(QLabel& label, const QColor& colour);

} // namespace WindowFonts
