#include "NotebookFile.h"

#include "FileContent.h"
#include "FileReplacement.h"
#include "NotebookText.h"
#include "TextEncoding.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::string NotebookFile::TextOf(std::string_view content) {
    return TextEncoding::Utf16ToUtf8(NotebookText(content).Shown());
}

std::string NotebookFile::ContentOf(std::string_view text) {
    return NotebookText().ContentWith(TextEncoding::Utf8ToUtf16(text));
}

std::string NotebookFile::Read(const std::filesystem::path& file) {
    return TextOf(FileContent(file).value_or(std::string()));
}

std::optional<NotebookFile::Error> NotebookFile::Write(const std::filesystem::path& file,
                                                       std::string_view text) {
    return WriteContent(file, ContentOf(text));
}

std::optional<NotebookFile::Error> NotebookFile::WriteContent(const std::filesystem::path& file,
                                                              std::string_view content) {
    // The file is replaced through a rename, which the folder allows whatever the file's own
    // permissions say; a file the player made read-only is left as it is. Anything but an
    // ordinary file is refused by the replacement itself.
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ((existing.st_mode & 0222) == 0 ||
         (::access(file.c_str(), W_OK) != 0 && errno == EACCES))) {
        return Error{"the file is read-only"};
    }
    if (std::optional<std::string> reason = FileReplacement::Write(file, content)) {
        return Error{std::move(*reason)};
    }
    return std::nullopt;
}
