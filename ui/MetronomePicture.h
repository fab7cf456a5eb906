#pragma once

#include <QIcon>
#include <QImage>
#include <QPoint>

// The picture of the pendulum display: a yellow, pyramid-shaped mechanical metronome with a light
// front window, 64 × 64 pixels on a transparent ground. The pendulum's rod is drawn over it by the
// window and turns about MetronomePivot, at the foot of the front window. Drawn for a screen with
// the given device pixel ratio, so that it stays sharp on a high-density screen.
QImage MetronomePicture(double devicePixelRatio = 1.0);

inline constexpr int MetronomePictureSize = 64;
inline constexpr QPoint MetronomePivot{26, 39};

// The program's icon: the same metronome with its pendulum at rest, as assets/pulsara.svg draws
// it, in the sizes a window manager asks for (16 to 256 pixels).
QIcon ProgramIcon();
