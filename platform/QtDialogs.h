#pragma once

#include "Dialogs.h"

#include <QFileDialog>
#include <QPointer>
#include <QStringList>
#include <QWidget>

// The program's modal dialogs as Qt's message box and file dialog, centred on the owner window.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr);

    void MessageBox(std::string_view text, std::string_view title, MessageIcon icon) override;
    std::string OpenFile(const FileDialogOptions& options) override;
    std::string SaveFile(const FileDialogOptions& options) override;

    // "Rhithm files|*.rtm" as Qt's "Rhithm files (*.rtm)", one entry per description and pattern.
    static QStringList NameFilters(std::string_view filter);
    // The path with ".rtm" added when its file name has no extension of its own.
    static std::string WithDefaultExtension(std::string path, std::string_view defaultExt);

private:
    std::string RunFileDialog(const FileDialogOptions& options, QFileDialog::AcceptMode mode);

    QPointer<QWidget> owner;
};
