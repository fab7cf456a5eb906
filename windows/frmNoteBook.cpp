#include "frmNoteBook.h"

#include "NotebookFile.h"
#include "NotebookRecovery.h"
#include "QtSettingsStore.h"
#include "SideWindowLook.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QResizeEvent>
#include <cstdio>
#include <future>
#include <system_error>

namespace {

// Reading and writing must reach the same file even if the current folder changes meanwhile.
std::filesystem::path NotebookPath(const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / NotebookFile::FileName;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return error ? file : absolute;
}

} // namespace

frmNoteBook::frmNoteBook(Dialogs& dialogs, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , dialogs(dialogs)
    , filePath(NotebookPath(folder))
    , recoveryFolder(std::filesystem::path(QtSettingsStore::DefaultPath()).parent_path()) {
    setWindowTitle(QStringLiteral("Notebook"));
    SideWindowLook::PeachBackground(*this);
    tx.setFont(SideWindowLook::FixedPitch(9.75));
    tx.setLineWrapMode(QPlainTextEdit::NoWrap);
    tx.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tx.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    resize(552, 373);
    Form_Resize();
    Form_Load();
}

frmNoteBook::~frmNoteBook() {
    if (isVisible()) {
        // Nobody is left to tell of a failure now.
        (void)NotebookFile::Write(filePath, tx.toPlainText().toStdString());
    }
}

void frmNoteBook::Form_Load() {
    tx.setPlainText(QString::fromStdString(NotebookFile::Read(filePath)));
}

void frmNoteBook::Form_Resize() {
    tx.setGeometry(0, 0, width(), height());
}

bool frmNoteBook::Form_Unload() {
    if (saving) {
        return false;
    }
    const std::optional<std::string> error = SaveAside(tx.toPlainText().toStdString());
    if (!error) {
        return true;
    }
    dialogs.MessageBox("The notes could not be saved in \"" + filePath.string() + "\": " + *error +
                           ".\n\nThe notebook stays open with your notes; close it again once "
                           "the folder can be written, or copy the notes elsewhere.",
                       "Notebook", MessageIcon::Exclamation);
    return false;
}

// A disk kept busy may take a second to sync the file; the window's thread, which also plays the
// beat, goes on delivering its events meanwhile.
std::optional<std::string> frmNoteBook::SaveAside(const std::string& notes) {
    saving = true;
    QEventLoop waiting;
    std::future<std::optional<NotebookFile::Error>> written =
        std::async(std::launch::async, [this, notes, &waiting] {
            std::optional<NotebookFile::Error> error = NotebookFile::Write(filePath, notes);
            QMetaObject::invokeMethod(
                &waiting, [&waiting] { waiting.quit(); }, Qt::QueuedConnection);
            return error;
        });
    // The loop also ends when the program is asked to end; the write is then waited for here.
    waiting.exec();
    const std::optional<NotebookFile::Error> error = written.get();
    saving = false;
    return error ? std::optional<std::string>(error->reason) : std::nullopt;
}

void frmNoteBook::CloseForExit() {
    if (!isVisible()) {
        return;
    }
    const std::string notes = tx.toPlainText().toStdString();
    if (const std::optional<NotebookFile::Error> error = NotebookFile::Write(filePath, notes)) {
        const std::optional<std::filesystem::path> kept =
            NotebookRecovery::Save(recoveryFolder, notes);
        const std::string where = kept ? "they are kept in \"" + kept->string() + "\""
                                       : "no recovery file could be written either";
        std::fprintf(stderr, "pulsara: the notes could not be saved in \"%s\" (%s); %s\n",
                     filePath.c_str(), error->reason.c_str(), where.c_str());
    }
    // Hidden, not closed: a close would try the file again and ask the user.
    hide();
}

void frmNoteBook::closeEvent(QCloseEvent* event) {
    if (Form_Unload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void frmNoteBook::resizeEvent(QResizeEvent* event) {
    Form_Resize();
    QWidget::resizeEvent(event);
}
