#pragma once

#include "CClock.h"
#include "CMetronome.h"
#include "CMetronomeEvents.h"
#include "PendingEvents.h"
#include "PlatformServices.h"
#include "QtSurface.h"
#include "TempoMemoryState.h"
#include "cVolume.h"

#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class QCloseEvent;
class QKeyEvent;
class QPaintEvent;

// The program's main window. It owns the beat engine, the practice clock and the mixer object for
// the whole run, drives the engine from its main loop, shows the tempo, the rhythm strip, the
// pause and accelerando state and the beat (a pendulum over the picture of a metronome, or a
// bouncing ball), and closes only when no export is running, leaving the microphone muted and the
// practice time stored.
//
// The main loop runs inside the first activation of the window and delivers the window system's
// events itself; every other handler runs nested in it. Tests drive it one pass at a time with
// RunLoopPass.
class FormMain final : public QWidget, private CMetronomeEvents {
public:
    // Why a close was asked for, as Form_QueryUnload is told.
    enum UnloadMode : int16_t {
        ByCloseBox = 0,   // the user closed the window
        ByCode = 1,       // the program closed it
        BySessionEnd = 2, // the desktop session ends
        BySystem = 3,     // the system asked the program to end (a signal)
    };

    // A line with two settable end points, drawn on the window itself.
    struct LineItem {
        QPoint P1;
        QPoint P2;
        int BorderWidth = 1;
        bool Visible = true;
    };
    // A circle inside its square box, drawn on the window itself.
    struct ShapeItem {
        int Left = 0;
        int Top = 0;
        int Size = 9;
        bool Visible = true;
    };
    // A fixed picture, drawn on the window itself under the line and the shape.
    struct ImageItem {
        QRect Geometry;
        QImage Picture;
        bool Visible = true;
    };
    // Key repeat detection; it also carries the pendulum's swing counter.
    struct KeyStateRecord {
        int32_t SavedTempo = 0;
        int32_t LastKey = 0;
        int32_t PressCount = 0;
        int32_t LastKeyTime = 0;
        std::string SavedRhythm;
        std::string RecalledRhythm;
        int32_t SwingCount = 0;
    };

    FormMain(PlatformServices& services, TempoMemoryState& values, QWidget* parent = nullptr);
    ~FormMain() override;

    // The main loop. Started by the first activation; an activation while it runs returns at once.
    // A fault that escapes a pass ends the program as a close would.
    void Form_Activate();
    // One pass of the main loop: Pulse, the ball on every fifth pass, event delivery, 1 ms sleep.
    void RunLoopPass();
    bool LoopRunning() const { return loopRunning; }

    // Closes the window as the close box does, for the given reason. While the main loop runs the
    // close waits for the loop's next pass, outside any command, and a modal dialog still open
    // is dismissed first, so that no command finds its objects released under it.
    void RequestClose(UnloadMode mode);

    void DrawBall();
    int32_t TempoPlus(int32_t prT) const;
    // Shows the pendulum picture (mode 0) or the ball box (mode 1).
    void ShowDisplayMode(int32_t mode);

    // The size of a font given in points, in pixels of a 96-dpi screen: the window is laid out in
    // such pixels, and a high-density screen scales the whole of it evenly.
    static int PointsToPixels(double points);

    static const QColor BackColour;
    static const QColor DarkBlue;
    static const QColor DarkRed;

    // Members named as the program's other parts know them.
    std::unique_ptr<CMetronome> Metron;
    std::unique_ptr<CClock> Clock;
    std::unique_ptr<cVolume> Volume;
    bool Running = false;
    bool ExportBusy = false;
    int32_t DisplayMode = 0;
    int32_t SwingStartTick = 0;
    int32_t SwingLength = 0;
    KeyStateRecord KeyState;

    // Controls, in creation order: later ones lie above earlier ones.
    QtSurface picBall;
    QtSurface picClock;
    QTimer timClock;
    QLabel lbProgress;
    QLabel lbWave;
    QLabel lbInfo;
    ShapeItem shMetr;
    LineItem LineMetr;
    QLabel Label1;
    QLabel lbRhithm;
    QLabel lbPau2;
    QLabel lbPau1;
    QLabel lbAcel;
    QLabel lbPause;
    ImageItem imMetronome;
    QLabel lbTime;
    QLabel lbBPM;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Paint();
    void timClock_Timer();
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void Form_Unload(int16_t& Cancel);

    void Metron_BpmChange();
    void Metron_Click(double& Dlit);
    void Metron_Step();
    void Metron_PauseChange();
    void Metron_AccelerandoChange();
    void Metron_EnableChange();
    void Metron_Progress(int32_t& percent);

    // The engine's events, passed on to the handlers above.
    void BpmChange() override { Metron_BpmChange(); }
    void Click(double& Dlit) override { Metron_Click(Dlit); }
    void Step() override { Metron_Step(); }
    void PauseChange() override { Metron_PauseChange(); }
    void AccelerandoChange() override { Metron_AccelerandoChange(); }
    void EnableChange() override { Metron_EnableChange(); }
    void Progress(int32_t& percent) override { Metron_Progress(percent); }

    void PlacePendulum(QPoint rodEnd);
    void SwingPendulum();
    QRect PendulumBounds() const;
    void ClosePending();
    void EndAfterFault();

    PlatformServices& services;
    TempoMemoryState& values;
    PendingEvents pendingEvents;
    bool loopRunning = false;
    int32_t passes = 0;
    std::optional<UnloadMode> pendingClose;
    int16_t nextUnloadMode = ByCode;
};
