#pragma once

#include <cstdint>
#include <functional>

// Why a close was asked for, as the window's close check is told.
enum UnloadMode : int16_t {
    ByCloseBox = 0,   // the user closed the window
    ByCode = 1,       // the program closed it
    BySessionEnd = 2, // the desktop session ends
    BySystem = 3,     // the system asked the program to end (a signal)
};

// What a practice session asks of whatever shows it: the display that only a window has, the beat's
// timer and the window's close. A test hands in a recording one.
class SessionView {
public:
    virtual ~SessionView() = default;

    // A command wrote to the engine: the beat goes on from it at once.
    virtual void BeatChanged() = 0;
    // Runs work from the event loop once the current event has been handled.
    virtual void Later(std::function<void()> work) = 0;
    // Closes the window for the reason given; the close then asks the session whether it may.
    virtual void Close(UnloadMode mode) = 0;
    // The session is about to release the engine: whatever shows it lets go of it first.
    virtual void SessionEnding() = 0;

    virtual void ToggleDisplayMode() = 0;
    virtual void ShowExportNotice(bool visible) = 0;
    // Called while an export renders, so that the window repaints and turns keys away.
    virtual void DeliverDuringExport() = 0;
};
