#pragma once

#include "Dialogs.h"
#include "HelpViewer.h"
#include "SessionDialogs.h"
#include "TempoMemoryState.h"
#include "frmListTmps.h"
#include "frmNoteBook.h"

#include <QWidget>
#include <filesystem>
#include <memory>

// The windows the keys open over the main window. The notebook and the tempo list are modeless,
// one of each at a time, and a closed one gives way to a new one at the next opening; the tempo
// growth and rhythm entry dialogs are modal; the help page goes to the desktop's viewer.
class SideWindows final : public SessionDialogs {
public:
    SideWindows(Dialogs& dialogs, QWidget& owner, TempoMemoryState& values);

    void ShowHelp() override { helpViewer.Show(HelpPage, OpenDocument); }
    void ShowNoteBook() override;
    void ShowListTmps() override;
    void ShowTempoGrowth() override;
    bool ShowRhythmEntry(std::string& text) override;
    void DismissDialogs() override;
    bool CloseNoteBook(bool canWait) override;

    // Null while none was opened.
    frmNoteBook* NoteBook() const { return noteBook.get(); }
    frmListTmps* ListTmps() const { return listTmps.get(); }
    QTextBrowser* HelpWindow() const { return helpViewer.Window(); }

    // The help page, and how a document is handed to the desktop's viewer (tests watch the
    // request instead); without a viewer the page shows in a window of the program's own.
    std::filesystem::path HelpPage;
    HelpViewer::Opener OpenDocument;

private:
    static void BringToFront(QWidget& window);

    Dialogs& dialogs;
    QWidget& owner;
    TempoMemoryState& values;
    HelpViewer helpViewer;
    std::unique_ptr<frmNoteBook> noteBook;
    std::unique_ptr<frmListTmps> listTmps;
};
