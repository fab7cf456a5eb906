#pragma once

#include "BeatDisplay.h"
#include "CMetronomeEvents.h"
#include "CommandMenu.h"
#include "FrameTimer.h"
#include "HelpViewer.h"
#include "NoticeBar.h"
#include "PlatformServices.h"
#include "PracticeJournal.h"
#include "PracticeSession.h"
#include "QtSurface.h"
#include "SideWindows.h"
#include "TapTempo.h"
#include "TempoMemoryState.h"
#include "WindowZoom.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QCloseEvent;
class QContextMenuEvent;
class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

// The program's main window. It shows a practice session (the beat engine, the practice clock, the
// mixer object and the key commands), drives the engine, shows the tempo, the rhythm strip, the
// pause and accelerando state and the beat (a pendulum over the picture of a metronome, or a
// bouncing ball), tells in a short notice what a command changed where nothing else shows it, and
// closes only when no export is running, leaving the microphone's mute as it found it and the
// practice time stored.
//
// The window sleeps in the event loop until something is due: the engine's next wake (a step is
// heard, or the next one comes within the engine's horizon), a frame of the moving ball, the
// clock's timer, or input. Tests call the timers' handlers themselves.
class FormMain final : public QWidget, private CMetronomeEvents, private SessionView {
public:
    // Why a close was asked for, as Form_QueryUnload is told.
    enum UnloadMode : int16_t {
        ByCloseBox = 0,   // the user closed the window
        ByCode = 1,       // the program closed it
        BySessionEnd = 2, // the desktop session ends
        BySystem = 3,     // the system asked the program to end (a signal)
    };

    FormMain(PlatformServices& services, TempoMemoryState& values, QWidget* parent = nullptr);
    ~FormMain() override;

    // The engine's next wake has come: Pulse, then sleep until the following one. Nothing happens
    // while a command runs; a fault that escapes the engine ends the program as a close would.
    void BeatDue();
    const FrameTimer& BeatTimer() const { return beatTimer; }

    // Closes the window as the close box does, for the given reason. While a command runs the
    // close waits until it has returned, and a modal dialog still open is dismissed first, so
    // that no command finds its objects released under it.
    void RequestClose(UnloadMode mode);

    // Shows the pendulum picture (mode 0) or the ball box (mode 1).
    void ShowDisplayMode(int32_t mode);

    // The key handler: every key-down of the window, auto-repeat included, with its key code and
    // modifier mask (VirtualKey). It counts quick repeats of one key and runs the key's command.
    void Form_KeyDown(int32_t KeyCode, int32_t Shift);

    // What the menu of all commands runs. A key's entry presses the key as often as its gesture
    // asks, each press a quick repeat of the one before and the first a first press.
    void PressKey(int32_t KeyCode, int32_t Presses);
    // A click on the tempo digits taps the tempo.
    void lbBPM_Click();
    // Asks for a tempo in a small dialog; the beat goes on behind it, and the tempo changes when
    // the dialog is confirmed.
    void EnterTempo();
    // Undoes the last store or reset (a slot, a tempo memory, a mixer preset, the practice total),
    // as a click on its notice and the menu's undo entry do.
    void Undo();
    // The sound output lost its way to the speaker (true) or has it back (false): said in a
    // notice and on the terminal, while the beat and the display go on.
    void SoundLost(bool lost);
    // Lays the window out at percent (100, 150, 200 or 300) and keeps the zoom for the next run.
    void SetZoom(int32_t percent);
    CommandMenu& Commands() { return *commandMenu; }

    static constexpr const char* ToolTip =
        "Space: start / stop · F1: help · right-click: all commands";

    // The side windows opened from the keyboard; null while none was opened.
    frmNoteBook* NoteBook() const { return sideWindows.NoteBook(); }
    frmListTmps* ListTmps() const { return sideWindows.ListTmps(); }

    // The size of a font given in points, in pixels of a 96-dpi screen: the window is laid out in
    // such pixels, and a high-density screen scales the whole of it evenly.
    static int PointsToPixels(double points);

    static const QColor BackColour;
    static const QColor DarkBlue;
    static const QColor DarkRed;

    // The engine, the clock, the mixer and the key commands; the window shows them.
    std::unique_ptr<PracticeSession> Session;
    // What was practised, how long and how fast; its window is opened from the menu.
    std::unique_ptr<PracticeJournal> Journal;
    int32_t DisplayMode = 0;
    // The help page, and the way a document is handed to the desktop's viewer without waiting for
    // it (tests watch the request instead).
    // When no viewer can be started the page shows in a window of the program's own.
    std::filesystem::path HelpPage;
    HelpViewer::Opener OpenDocument;
    QTextBrowser* HelpWindow() const { return helpViewer->Window(); }

    // Controls, in creation order: later ones lie above earlier ones. The beat display holds
    // picBall, lbInfo, shMetr, LineMetr, Label1, lbRhithm and imMetronome, below all the others.
    BeatDisplay Display;
    QtSurface picClock;
    QTimer timClock;
    QLabel lbProgress;
    QLabel lbWave;
    QLabel lbPau2;
    QLabel lbPau1;
    QLabel lbAcel;
    QLabel lbPause;
    QLabel lbTime;
    QLabel lbBPM;
    // Above all the others.
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

    // What the session asks of the window.
    void RunCommand(const std::function<void()>& command) override;
    void ShowHelp() override;
    void ShowNoteBook() override;
    void ToggleDisplayMode() override;
    void ShowListTmps() override;
    void ShowTempoGrowth() override;
    bool ShowRhythmEntry(std::string& text) override;
    void ShowExportNotice(bool visible) override;
    void DeliverDuringExport() override;

    void ListenToFeedback();
    void CreateMenu();
    void ApplyZoom(int32_t percent);

    void ArmBeatTimer();
    void AnimateBall();
    // Runs work; a fault that escapes it ends the program as a close would.
    void Guarded(const std::function<void()>& work);
    // Counts the commands running: the beat and a close request wait until they have returned.
    class CommandScope;
    void ClosePending();
    void EndAfterFault();

    PlatformServices& services;
    TempoMemoryState& values;
    FrameTimer beatTimer;
    int commandDepth = 0;
    std::chrono::steady_clock::time_point nextExportDelivery;
    std::optional<UnloadMode> pendingClose;
    int16_t nextUnloadMode = ByCode;
    SideWindows sideWindows;
    // The commands beyond the key map: the menu of all commands, tap tempo and the zoom.
    std::unique_ptr<WindowZoom> zoom;
    std::unique_ptr<TapTempo> taps;
    std::unique_ptr<CommandMenu> commandMenu;
    std::unique_ptr<HelpViewer> helpViewer;
};
