#pragma once

#include "CommandMenu.h"
#include "PracticeSession.h"
#include "SettingsStore.h"
#include "WindowZoom.h"

#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The main window's commands beyond the key map: the menu of all commands on a right click, with
// the undo of the last store or reset at its top, a typed tempo, and the window's zoom, kept for
// the next run.
class WindowCommands {
public:
    // rescale draws the window's own pictures at the zoom, once its controls have been laid out.
    WindowCommands(QWidget& window, PracticeSession& session, SettingsStore& settings,
                   std::function<void()> showJournal, std::function<void()> rescale);

    // Lays the window out at the zoom of the last run.
    void ApplyStoredZoom() { ApplyZoom(zoom.Stored()); }
    // Lays the window out at percent (100, 150, 200 or 300) and keeps it for the next run.
    void SetZoom(int32_t percent);
    const WindowZoom& Zoom() const { return zoom; }
    // Opens the menu at a point of the screen; an export turns it away, as it does keys.
    void PopUp(const QPoint& at);
    // Asks for a tempo in a small dialog. No command runs while it is open, so the beat goes on
    // behind it at the old tempo.
    void EnterTempo();
    void ShowUndo(const std::string& label) { menu->ShowUndo(QString::fromStdString(label)); }
    CommandMenu& Menu() { return *menu; }

private:
    void ApplyZoom(int32_t percent);

    QWidget& window;
    PracticeSession& session;
    std::function<void()> rescale;
    // The layout as it stands when this is made is the layout at 100 %.
    WindowZoom zoom;
    std::unique_ptr<CommandMenu> menu;
};
