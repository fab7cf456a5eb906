#pragma once

#include "Dialogs.h"
#include "NotebookDraft.h"
#include "NotebookText.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The player's notebook, a window of its own with one text box filling it. The notes live in
// "notebook.txt" in the folder given at creation: read when the window is created, written when it
// is closed, and only when they were changed; what the player did not change keeps the bytes it had
// in the file (NotebookText). When they cannot be written the window says so and stays open with
// the notes, so that nothing typed is lost. While the notes differ from the file, a draft of them
// is kept on disk a moment after each change (NotebookDraft), in case the program ends without
// closing the window.
class frmNoteBook final : public QWidget {
public:
    // The dialogs tell the user of a failed write; they must outlive the window.
    frmNoteBook(Dialogs& dialogs, const std::filesystem::path& folder, QWidget* parent = nullptr);
    // A notebook still open when it is destroyed (the program ends with it open) writes its notes
    // without asking.
    ~frmNoteBook() override;

    frmNoteBook(const frmNoteBook&) = delete;
    frmNoteBook& operator=(const frmNoteBook&) = delete;

    // Writes the notes if they changed; on failure tells the user and returns false. The file is
    // written and synced on a thread of its own while the window's events (the beat among them) go
    // on.
    bool Form_Unload();
    // Closes for an end that nobody can be asked about (a signal, the end of the session): changed
    // notes go to their file, or else to a recovery file whose name is said on stderr, and the
    // window closes without a message.
    void CloseForExit();
    // Where drafts and notes that their file does not take are kept, the first folder first;
    // beside the settings file, then the runtime and the temporary folder, unless set.
    void KeepFolders(std::vector<std::filesystem::path> vData);

    const std::filesystem::path& FilePath() const { return filePath; }
    // The notes differ from what the file holds.
    bool Changed() const;
    // The draft of the notes, written a moment after each change.
    NotebookDraft& Draft() { return draft; }
    // A change was made a moment ago: the draft follows the notes. Tests call it themselves.
    void timDraft_Timer();

    // How long after a change the draft is written.
    static constexpr int DraftDelayMs = 1000;

    QPlainTextEdit tx{this};
    // Started by a change, unless it runs already.
    QTimer timDraft;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Writes the notes on a thread of their own and lets the window's events run meanwhile.
    std::optional<std::string> SaveAside(const std::string& content);
    // The text box's text, every character as it holds it (its plain text would turn no-break
    // spaces into blanks and line separators into line breaks).
    std::u16string Text() const;
    // The file's content with the notes as they are now.
    std::string Content() const;
    // The notes are in their file now: they become what is compared against, and no draft is kept.
    void Saved(const std::string& content);

    void Form_Load();
    void Form_Resize();

    Dialogs& dialogs;
    std::filesystem::path filePath;
    std::vector<std::filesystem::path> keepFolders;
    NotebookText notes;
    // The text box's text right after the notes were put in.
    std::u16string loaded;
    NotebookDraft draft;
    // A save is under way: a second close waits for it to end.
    bool saving = false;
};
