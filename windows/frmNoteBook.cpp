#include "frmNoteBook.h"

#include "FileContent.h"
#include "NotebookFile.h"
#include "NotebookRecovery.h"
#include "QtSettingsStore.h"
#include "SideWindowLook.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QResizeEvent>
#include <QTextDocument>
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

std::vector<std::filesystem::path> DefaultKeepFolders() {
    return NotebookDraft::Folders(
        std::filesystem::path(QtSettingsStore::DefaultPath()).parent_path());
}

} // namespace

frmNoteBook::frmNoteBook(Dialogs& dialogs, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , dialogs(dialogs)
    , filePath(NotebookPath(folder))
    , keepFolders(DefaultKeepFolders())
    , draft(keepFolders) {
    setWindowTitle(QStringLiteral("Notebook"));
    SideWindowLook::PeachBackground(*this);
    tx.setFont(SideWindowLook::FixedPitch(9.75));
    tx.setLineWrapMode(QPlainTextEdit::NoWrap);
    tx.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tx.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    resize(552, 373);
    Form_Resize();
    Form_Load();
    timDraft.setSingleShot(true);
    timDraft.setInterval(DraftDelayMs);
    QObject::connect(&timDraft, &QTimer::timeout, this, [this] { timDraft_Timer(); });
    QObject::connect(&tx, &QPlainTextEdit::textChanged, this, [this] {
        if (!timDraft.isActive()) {
            timDraft.start();
        }
    });
}

frmNoteBook::~frmNoteBook() {
    if (isVisible() && Changed()) {
        // Nobody is left to tell of a failure now: the draft then keeps the notes, and the next
        // start names it.
        const std::string content = Content();
        if (NotebookFile::WriteContent(filePath, content)) {
            draft.Keep(content);
        } else {
            draft.Discard();
        }
    }
}

void frmNoteBook::KeepFolders(std::vector<std::filesystem::path> vData) {
    keepFolders = std::move(vData);
    draft.UseFolders(keepFolders);
}

void frmNoteBook::Form_Load() {
    const std::optional<std::string> content = FileContent(filePath);
    notes = content ? NotebookText(*content) : NotebookText();
    tx.setPlainText(QString::fromStdU16String(notes.Shown()));
    loaded = Text();
}

std::u16string frmNoteBook::Text() const {
    QString text = tx.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text.toStdU16String();
}

bool frmNoteBook::Changed() const {
    return Text() != loaded;
}

std::string frmNoteBook::Content() const {
    return notes.ContentWith(Text());
}

void frmNoteBook::Saved(const std::string& content) {
    notes = NotebookText(content);
    loaded = Text();
    timDraft.stop();
    draft.Discard();
}

void frmNoteBook::timDraft_Timer() {
    if (isHidden()) {
        return;
    }
    if (Changed()) {
        draft.Keep(Content());
    } else {
        draft.Discard();
    }
}

void frmNoteBook::Form_Resize() {
    tx.setGeometry(0, 0, width(), height());
}

bool frmNoteBook::Form_Unload() {
    if (saving) {
        return false;
    }
    if (!Changed()) {
        // Notes nobody changed are never written: the file keeps every byte it had.
        timDraft.stop();
        draft.Discard();
        return true;
    }
    const std::string content = Content();
    const std::optional<std::string> error = SaveAside(content);
    if (!error) {
        Saved(content);
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
std::optional<std::string> frmNoteBook::SaveAside(const std::string& content) {
    saving = true;
    QEventLoop waiting;
    std::future<std::optional<NotebookFile::Error>> written =
        std::async(std::launch::async, [this, content, &waiting] {
            std::optional<NotebookFile::Error> error =
                NotebookFile::WriteContent(filePath, content);
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
    timDraft.stop();
    if (Changed()) {
        const std::string content = Content();
        if (const std::optional<NotebookFile::Error> error =
                NotebookFile::WriteContent(filePath, content)) {
            const std::optional<std::filesystem::path> kept =
                NotebookRecovery::Save(keepFolders, content);
            const std::string where = kept ? "they are kept in \"" + kept->string() + "\""
                                           : "no recovery file could be written either";
            std::fprintf(stderr, "pulsara: the notes could not be saved in \"%s\" (%s); %s\n",
                         filePath.c_str(), error->reason.c_str(), where.c_str());
            if (kept) {
                draft.Discard();
            }
        } else {
            Saved(content);
        }
    } else {
        draft.Discard();
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
