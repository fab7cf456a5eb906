#pragma once

#include <string>

// The windows and dialogs a practice session opens over its window: help, the notebook, the tempo
// list, the tempo growth and rhythm entry dialogs. A test hands in a recording one.
class SessionDialogs {
public:
    virtual ~SessionDialogs() = default;

    virtual void ShowHelp() = 0;
    virtual void ShowNoteBook() = 0;
    virtual void ShowListTmps() = 0;
    virtual void ShowTempoGrowth() = 0;
    // Lets the player edit text; true when the entry was confirmed.
    virtual bool ShowRhythmEntry(std::string& text) = 0;
    // A modal dialog still open is dismissed, so that a close does not wait for an answer.
    virtual void DismissDialogs() = 0;
    // Closes the notebook. When the close can wait for the player, notes that cannot be saved keep
    // it open (false); otherwise they go to a recovery file and it closes.
    virtual bool CloseNoteBook(bool canWait) = 0;
};
