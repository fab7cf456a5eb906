#pragma once

#include "WindowZoom.h"

#include <QLabel>
#include <QWidget>
#include <cstdint>

// The main window's labels of the engine's state: the tempo digits, the time since the tempo was
// set, the pause, the accelerando, and the waiting notice with the percentage of an export. They
// are created on the window in this order, each later one above the earlier ones.
class StatusLabels {
public:
    explicit StatusLabels(QWidget& window);

    void ShowTempo(int32_t bpm);
    // Whole seconds since the tempo was set, as minutes and seconds: 65 shows as "1 : 05".
    void ShowTime(int32_t seconds);
    void ClearTime();
    void ShowPause(bool on, int32_t seconds);
    // The word grows with the rate: √(rate × 2) + 8 points, scaled as the window is.
    void ShowAccelerando(bool on, double rate, const WindowZoom& zoom);
    void ShowExport(bool visible);
    void ShowProgress(int32_t percent);

    QLabel lbProgress;
    QLabel lbWave;
    QLabel lbPau2;
    QLabel lbPau1;
    QLabel lbAcel;
    QLabel lbPause;
    QLabel lbTime;
    QLabel lbBPM;
};
