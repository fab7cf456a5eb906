#include "QtDialogs.h"

#include <QFile>
#include <QMessageBox>
#include <QString>

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string_view WithoutLeadingDot(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') {
        extension.remove_prefix(1);
    }
    return extension;
}

// Globs of one pattern: "*.wav;*.wave" as "*.wav *.wave".
QString GlobList(const QString& pattern) {
    return pattern.split(u';', Qt::SkipEmptyParts).join(u' ').trimmed();
}

} // namespace

QtDialogs::QtDialogs(QWidget* owner)
    : owner(owner) {}

void QtDialogs::MessageBox(std::string_view text, std::string_view title, MessageIcon icon) {
    const auto qtIcon = icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning;
    QMessageBox box(qtIcon, FromUtf8(title), FromUtf8(text), QMessageBox::Ok, owner);
    box.exec();
}

std::string QtDialogs::OpenFile(const FileDialogOptions& options) {
    return RunFileDialog(options, QFileDialog::AcceptOpen);
}

std::string QtDialogs::SaveFile(const FileDialogOptions& options) {
    // A native dialog may hand back the name exactly as typed.
    return WithDefaultExtension(RunFileDialog(options, QFileDialog::AcceptSave),
                                options.defaultExt);
}

QStringList QtDialogs::NameFilters(std::string_view filter) {
    const QStringList parts = FromUtf8(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString globs = GlobList(parts[i + 1]);
        filters.append(parts[i].trimmed() + QStringLiteral(" (") +
                       (globs.isEmpty() ? QStringLiteral("*") : globs) + u')');
    }
    // A description without a pattern still names a choice: everything.
    if (parts.size() % 2 == 1 && !parts.back().trimmed().isEmpty()) {
        filters.append(parts.back().trimmed() + QStringLiteral(" (*)"));
    }
    return filters;
}

std::string QtDialogs::WithDefaultExtension(std::string path, std::string_view defaultExt) {
    const std::string_view extension = WithoutLeadingDot(defaultExt);
    if (path.empty() || extension.empty() || path.back() == '/') {
        return path;
    }
    const size_t nameStart = path.find_last_of('/') + 1;
    if (path.find('.', nameStart) == std::string::npos) {
        path += '.';
        path += extension;
    }
    return path;
}

std::string QtDialogs::RunFileDialog(const FileDialogOptions& options,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner);
    // The accept mode brings the standard title ("Open", "Save As") that a given title replaces.
    dialog.setAcceptMode(mode);
    if (!options.title.empty()) {
        dialog.setWindowTitle(FromUtf8(options.title));
    }
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(options.filter));
    dialog.setDefaultSuffix(FromUtf8(WithoutLeadingDot(options.defaultExt)));
    if (!options.initialName.empty()) {
        dialog.selectFile(QFile::decodeName(QByteArray::fromStdString(options.initialName)));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}
