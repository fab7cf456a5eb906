#pragma once

#include "BeatDisplay.h"
#include "BeatLoop.h"
#include "CMetronomeEvents.h"
#include "NoticeBar.h"
#include "PlatformServices.h"
#include "PracticeJournal.h"
#include "PracticeSession.h"
#include "QtSurface.h"
#include "SideWindows.h"
#include "StatusLabels.h"
#include "TempoMemoryState.h"
#include "WindowCommands.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

// The program's main window: it shows a practice session (the tempo, the rhythm strip, the pause
// and accelerando state, the beat as a pendulum or a bouncing ball, the practice clock), tells in a
// short notice what a command changed where nothing else shows it, and hands keys, clicks and
// close requests to the session. Tests call the timers' handlers themselves.
class FormMain final : public QWidget, private CMetronomeEvents, private SessionView {
public:
    FormMain(PlatformServices& services, TempoMemoryState& values, QWidget* parent = nullptr);
    ~FormMain() override;

    // The session's beat in the event loop.
    BeatLoop& Loop() { return loop; }
    // The pendulum picture (mode 0) or the ball box (mode 1).
    void ShowDisplayMode(int32_t mode);
    // Every key-down of the window, auto-repeat included, with its key code and modifier mask.
    void Form_KeyDown(int32_t KeyCode, int32_t Shift) { Session->KeyDown(KeyCode, Shift); }
    // The menu of all commands, a typed tempo and the zoom.
    void SetZoom(int32_t percent) { commands->SetZoom(percent); }
    void EnterTempo() { commands->EnterTempo(); }
    CommandMenu& Commands() { return commands->Menu(); }
    // The notebook, the tempo list, help and the dialogs the keys open over the window.
    SideWindows& Windows() { return sideWindows; }

    static constexpr const char* ToolTip =
        "Space: start / stop · F1: help · right-click: all commands";
    static const QColor BackColour;

    // The engine, the clock, the mixer and the key commands; the window shows them.
    std::unique_ptr<PracticeSession> Session;
    // What was practised, how long and how fast; its window is opened from the menu.
    std::unique_ptr<PracticeJournal> Journal;
    int32_t DisplayMode = 0;

    // Controls, in creation order: later ones lie above earlier ones.
    BeatDisplay Display;
    QtSurface picClock;
    QTimer timClock;
    StatusLabels Labels;
    NoticeBar lbNotice;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void BuildControls();
    void Form_Load();
    void Form_Paint();
    void timClock_Timer();
    void Form_QueryUnload(int16_t& Cancel, int16_t UnloadMode);
    void Form_Unload(int16_t& Cancel);

    // The engine's events; each shows at once, since the engine raises them as a step is heard.
    void BpmChange() override { Metron_BpmChange(); }
    void Click(double& Dlit) override { Metron_Click(Dlit); }
    void Step() override { Metron_Step(); }
    void PauseChange() override { Metron_PauseChange(); }
    void AccelerandoChange() override { Metron_AccelerandoChange(); }
    void EnableChange() override { Metron_EnableChange(); }
    void Progress(int32_t& percent) override { Labels.ShowProgress(percent); }
    void Metron_BpmChange();
    void Metron_Click(double& Dlit);
    void Metron_Step();
    void Metron_PauseChange();
    void Metron_AccelerandoChange();
    void Metron_EnableChange();

    // What the session asks of the window.
    void BeatChanged() override { loop.BeatDue(); }
    void Later(std::function<void()> work) override { loop.Later(std::move(work)); }
    void Close(UnloadMode mode) override;
    void SessionEnding() override;
    void ToggleDisplayMode() override { ShowDisplayMode(DisplayMode == 1 ? 0 : 1); }
    void ShowExportNotice(bool visible) override { Labels.ShowExport(visible); }
    void DeliverDuringExport() override { loop.DeliverDuringExport(); }

    void CreateMenu();
    void Rescale();
    void AnimateBall();

    PlatformServices& services;
    TempoMemoryState& values;
    BeatLoop loop;
    UnloadMode nextUnloadMode = ByCode;
    SideWindows sideWindows;
    std::unique_ptr<WindowCommands> commands;
};
