#pragma once

#include "Dialogs.h"

#include <QPlainTextEdit>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>

// The player's notebook, a window of its own with one text box filling it. The notes live in
// "notebook.txt" in the folder given at creation: read when the window is created, written when it
// is closed. When they cannot be written the window says so and stays open with the notes, so that
// nothing typed is lost.
class frmNoteBook final : public QWidget {
public:
    // The dialogs tell the user of a failed write; they must outlive the window.
    frmNoteBook(Dialogs& dialogs, const std::filesystem::path& folder, QWidget* parent = nullptr);
    // A notebook still open when it is destroyed (the program ends with it open) writes its notes
    // without asking.
    ~frmNoteBook() override;

    frmNoteBook(const frmNoteBook&) = delete;
    frmNoteBook& operator=(const frmNoteBook&) = delete;

    // Writes the notes; on failure tells the user and returns false. The file is written and
    // synced on a thread of its own while the window's events (the beat among them) go on.
    bool Form_Unload();
    // Closes for an end that nobody can be asked about (a signal, the end of the session): the
    // notes go to their file, or else to a recovery file whose name is said on stderr, and the
    // window closes without a message.
    void CloseForExit();
    // Where CloseForExit keeps notes that their file does not take; beside the settings file
    // unless set.
    void RecoveryFolder(const std::filesystem::path& vData) { recoveryFolder = vData; }

    const std::filesystem::path& FilePath() const { return filePath; }

    QPlainTextEdit tx{this};

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Writes the notes on a thread of their own and lets the window's events run meanwhile.
    std::optional<std::string> SaveAside(const std::string& notes);

    void Form_Load();
    void Form_Resize();

    Dialogs& dialogs;
    std::filesystem::path filePath;
    std::filesystem::path recoveryFolder;
    // A save is under way: a second close waits for it to end.
    bool saving = false;
};
