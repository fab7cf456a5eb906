#pragma once

#include <functional>
#include <string>

// What a practice session asks of whatever shows it: the dialogs, the side windows and the display
// that only a window has, and the frame around each command. A test hands in a recording one.
class SessionView {
public:
    virtual ~SessionView() = default;

    // Runs a key's command. The window holds the beat back meanwhile and lays it ahead afterwards.
    virtual void RunCommand(const std::function<void()>& command) = 0;
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
