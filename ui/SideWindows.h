#pragma once

#include "Dialogs.h"
#include "frmListTmps.h"
#include "frmNoteBook.h"

#include <QWidget>
#include <memory>

// The side windows the keys open over the main window: modeless, one of each at a time; a closed
// one gives way to a new one at the next opening.
class SideWindows {
public:
    SideWindows(Dialogs& dialogs, QWidget& owner);

    void ShowNoteBook();
    void ShowListTmps();
    // Closes the notebook as the player would; false when notes that cannot be saved keep it open.
    bool CloseNoteBook();
    // Closes the notebook without asking; what its file does not take goes to a recovery file.
    void CloseNoteBookForExit();

    // Null while none was opened.
    frmNoteBook* NoteBook() const { return noteBook.get(); }
    frmListTmps* ListTmps() const { return listTmps.get(); }

private:
    static void BringToFront(QWidget& window);

    Dialogs& dialogs;
    QWidget& owner;
    std::unique_ptr<frmNoteBook> noteBook;
    std::unique_ptr<frmListTmps> listTmps;
};
