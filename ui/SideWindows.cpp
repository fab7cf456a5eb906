#include "SideWindows.h"

#include "FormT.h"
#include "NotebookFolder.h"
#include "ProgramFolder.h"
#include "frmRhithm.h"

#include <QApplication>

SideWindows::SideWindows(Dialogs& messageDialogs, QWidget& parent, TempoMemoryState& programValues)
    : HelpPage(DataFolder() / "Help.htm")
    , dialogs(messageDialogs)
    , owner(parent)
    , values(programValues)
    , helpViewer(parent, messageDialogs) {
    OpenDocument = helpViewer.DesktopOpener();
}

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

void SideWindows::ShowTempoGrowth() {
    FormT dialog(values, &owner);
    dialog.exec();
}

bool SideWindows::ShowRhythmEntry(std::string& text) {
    frmRhithm dialog(text, &owner);
    return dialog.exec() == QDialog::Accepted;
}

void SideWindows::DismissDialogs() {
    if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != &owner) {
        modal->close();
    }
}

bool SideWindows::CloseNoteBook(bool canWait) {
    if (!noteBook) {
        return true;
    }
    if (!canWait) {
        noteBook->CloseForExit();
        return true;
    }
    return noteBook->isHidden() || noteBook->close();
}

void SideWindows::BringToFront(QWidget& window) {
    window.raise();
    window.activateWindow();
}
