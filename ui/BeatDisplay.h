#pragma once

#include "QtSurface.h"
#include "TickSource.h"

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>

class QPaintEvent;

// The beat as the main window shows it: the pendulum over the picture of a metronome, the ball
// box, and the strip of the rhythm text with its marker and the caption. It lies over the whole
// client area below every other control, in the window's own coordinates, and lets the mouse
// through to the window.
// The engine reports a step when it is heard, so the picture moves with the click.
class BeatDisplay final : public QWidget {
public:
    // A line with two settable end points.
    struct LineItem {
        QPoint P1;
        QPoint P2;
        int BorderWidth = 1;
        bool Visible = true;
    };
    // A circle inside its square box.
    struct ShapeItem {
        int Left = 0;
        int Top = 0;
        int Size = 9;
        bool Visible = true;
    };
    // A fixed picture, under the line and the shape.
    struct ImageItem {
        QRect Geometry;
        QImage Picture;
        bool Visible = true;
    };

    BeatDisplay(TickSource& ticks, const QColor& background, QWidget* parent);

    // A main beat heard now, the next one expected length milliseconds later.
    void StartSwing(int32_t length);
    // The rod to the right or the left side.
    void SwingPendulum(bool right);
    void ShowStrip(const QString& strip, const QString& info);
    // The 25 characters of the rhythm text around the step's symbol, which stands in the eighth
    // column, under the marker; curPos is the cursor's position of the next byte to read.
    static QString RhythmStrip(const std::string& rhythm, int32_t curPos);
    void ClearStrip();
    // The pendulum picture or the ball box.
    void ShowPendulum(bool pendulum);
    // Redraws the ball at every frame of the screen while on; a still ball costs nothing.
    void Animate(bool on);
    bool Animating() const { return frames.isActive(); }
    void DrawBall();
    // Draws the picture, the pendulum and the ball factor times larger, in the same coordinates;
    // the window lays this display and its controls out larger first.
    void Scale(double factor);

    // The millisecond of the beat's time at which the last main beat was heard.
    int64_t SwingStartTick = 0;
    int32_t SwingLength = 0;

    // Controls, in creation order.
    QtSurface picBall;
    QLabel lbInfo;
    ShapeItem shMetr;
    LineItem LineMetr;
    QLabel Label1;
    QLabel lbRhithm;
    ImageItem imMetronome;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void SetUpLabels();
    void PlacePendulum(QPoint rodEnd);
    QRect PendulumBounds() const;
    // Repaints the part of the display that shows the given area of the window's layout.
    void Repaint(const QRect& area);
    int FrameInterval() const;

    TickSource& ticks;
    QTimer frames;
    double scale = 1.0;
};
