#pragma once

#include "Dialogs.h"

#include <QString>
#include <QTextBrowser>
#include <filesystem>
#include <functional>
#include <memory>

class QProcess;
class QWidget;

// The help page, shown wherever it can be: handed to the desktop's viewer, or, when no viewer can
// be started (no desktop opener, or one that gives up), in a window of the program's own, which
// reads the plain HTML of the page itself. A page that is missing is reported with its path.
class HelpViewer {
public:
    // Hands a document to the desktop's viewer without waiting for it; calls failed, at once or
    // later from the event loop, when no viewer could be started for it.
    using Opener =
        std::function<void(const std::filesystem::path& document, std::function<void()> failed)>;

    // The help window belongs to owner; the message about a missing page goes through dialogs.
    HelpViewer(QWidget& owner, Dialogs& dialogs);
    // A desktop opener still at work is left to finish: the viewer it starts stays open.
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    void Show(const std::filesystem::path& page, const Opener& open);
    // Shows page in the program's own window, and brings that window to the front.
    void ShowHere(const std::filesystem::path& page);
    // The program's own help window; null until it was needed.
    QTextBrowser* Window() const { return window.get(); }

    // The desktop's opener (xdg-open, or the program given), run without waiting for it; its
    // failure to start, or its ending with an error, counts as no viewer.
    Opener DesktopOpener(QString program = QStringLiteral("xdg-open"));

    static constexpr const char* Title = "Pulsara Help";
    static constexpr const char* FailureTitle = "Pulsara - Help";

private:
    QWidget& owner;
    Dialogs& dialogs;
    std::unique_ptr<QTextBrowser> window;
    std::unique_ptr<QProcess> opener;
};
