#include "HelpViewer.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>
#include <system_error>
#include <utility>

HelpViewer::HelpViewer(QWidget& owner, Dialogs& dialogs)
    : owner(owner)
    , dialogs(dialogs) {}

HelpViewer::~HelpViewer() {
    // Destroying a running QProcess would kill it; an opener that waits for its viewer (as
    // xdg-open does on a bare desktop) is let go instead, and the viewer stays open.
    if (opener && opener->state() != QProcess::NotRunning) {
        opener->disconnect();
        (void)opener.release();
    }
}

void HelpViewer::Show(const std::filesystem::path& page, const Opener& open) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error)) {
        dialogs.MessageBox("The help page \"" + page.string() + "\" is missing.", FailureTitle,
                           MessageIcon::Error);
        return;
    }
    if (!open) {
        ShowHere(page);
        return;
    }
    open(page, [this, page] { ShowHere(page); });
}

void HelpViewer::ShowHere(const std::filesystem::path& page) {
    if (!window) {
        window = std::make_unique<QTextBrowser>(&owner);
        window->setWindowFlag(Qt::Window);
        window->setWindowTitle(QString::fromLatin1(Title));
        window->setOpenExternalLinks(true);
        window->resize(640, 720);
    }
    window->setSource(QUrl::fromLocalFile(QString::fromStdString(page.string())));
    window->show();
    window->raise();
    window->activateWindow();
}

HelpViewer::Opener HelpViewer::DesktopOpener(QString program) {
    return [this, program = std::move(program)](const std::filesystem::path& document,
                                                std::function<void()> failed) {
        const QString found = QStandardPaths::findExecutable(program);
        if (found.isEmpty()) {
            failed();
            return;
        }
        // One opener at a time: an older one still waiting for its viewer is let go.
        if (opener && opener->state() != QProcess::NotRunning) {
            opener->disconnect();
            (void)opener.release();
        }
        opener = std::make_unique<QProcess>();
        // The opener and its viewer write where the program writes: no pipe of ours that the
        // viewer could outlive.
        opener->setProcessChannelMode(QProcess::ForwardedChannels);
        opener->setStandardInputFile(QProcess::nullDevice());
        QProcess* process = opener.get();
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [failed](QProcess::ProcessError error) {
                             if (error == QProcess::FailedToStart) {
                                 failed();
                             }
                         });
        QObject::connect(process, &QProcess::finished, process,
                         [failed](int exitCode, QProcess::ExitStatus status) {
                             if (status != QProcess::NormalExit || exitCode != 0) {
                                 failed();
                             }
                         });
        process->start(found, {QString::fromStdString(document.string())});
    };
}
