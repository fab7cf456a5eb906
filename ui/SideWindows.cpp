#include "SideWindows.h"

#include "NotebookFolder.h"

SideWindows::SideWindows(Dialogs& messageDialogs, QWidget& parent)
    : dialogs(messageDialogs)
    , owner(parent) {}

// Showing an open side window again brings it to the front: a second notebook would read the notes
// as they were before the first one's changes and overwrite them when it closes.
void SideWindows::ShowNoteBook() {
    if (noteBook && !noteBook->isHidden()) {
        BringToFront(*noteBook);
        return;
    }
    noteBook = std::make_unique<frmNoteBook>(dialogs, NotebookFolder::Prepare(), &owner);
    noteBook->show();
}

void SideWindows::ShowListTmps() {
    if (listTmps && !listTmps->isHidden()) {
        BringToFront(*listTmps);
        return;
    }
    listTmps = std::make_unique<frmListTmps>(&owner);
    listTmps->show();
}

bool SideWindows::CloseNoteBook() {
    if (!noteBook || noteBook->isHidden()) {
        return true;
    }
    return noteBook->close();
}

void SideWindows::CloseNoteBookForExit() {
    if (noteBook) {
        noteBook->CloseForExit();
    }
}

void SideWindows::BringToFront(QWidget& window) {
    window.raise();
    window.activateWindow();
}
