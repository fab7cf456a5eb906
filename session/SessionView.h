#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Why a close was asked for, as the window's close check is told.
enum UnloadMode : int16_t {
    ByCloseBox = 0,   // the user closed the window
    ByCode = 1,       // the program closed it
    BySessionEnd = 2, // the desktop session ends
    BySystem = 3,     // the system asked the program to end (a signal)
};

// What a practice session asks of whatever shows it: the dialogs, the side windows and the display
// that only a window has, the beat's timer and the window's close. A test hands in a recording one.
class SessionView {
public:
    virtual ~SessionView() = default;

    // A command wrote to the engine: the beat goes on from it at once.
    virtual void BeatChanged() = 0;
    // Runs work from the event loop once the current event has been handled.
    virtual void Later(std::function<void()> work) = 0;
    // Closes the window for the reason given; the close then asks the session whether it may.
    virtual void Close(UnloadMode mode) = 0;
    // A modal dialog still open is dismissed, so that a close does not wait for an answer.
    virtual void DismissDialogs() = 0;
    // The session is about to release the engine: whatever shows it lets go of it first.
    virtual void SessionEnding() = 0;
    // Closes the notebook. When the close can wait for the player, notes that cannot be saved keep
    // it open (false); otherwise they go to a recovery file and it closes.
    virtual bool CloseNoteBook(bool canWait) = 0;

    virtual void ShowHelp() = 0;
    virtual void ShowNoteBook() = 0;
    virtual void ToggleDisplayMode() = 0;
    virtual void ShowListTmps() = 0;
    virtual void ShowTempoGrowth() = 0;
    // Lets the player edit text; true when the entry was confirmed.
    virtual bool ShowRhythmEntry(std::string& text) = 0;
    virtual void ShowExportNotice(bool visible) = 0;
    // Called while an export renders, so that the window repaints and turns keys away.
    virtual void DeliverDuringExport() = 0;
};
