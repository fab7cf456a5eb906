#pragma once

#include <QFont>
#include <QWidget>

// What the side windows share of their look.
namespace SideWindowLook {

// The light peach of the main window (255, 224, 192) behind the window's controls.
void PeachBackground(QWidget& window);

// "Courier New" at the given size, or the system's fixed-pitch face where it is missing.
QFont FixedPitch(double points);

// A small sans-serif face ("Arial" 8 point, or its metric twin) for controls laid out to the pixel
// in tight boxes.
QFont SmallSans();

} // namespace SideWindowLook
