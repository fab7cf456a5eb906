#include "NotebookFile.h"

#include "RhythmFile.h"
#include "TextEncoding.h"

#include <array>
#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t found = text.find(from, at);
        out.append(text.substr(at, found - at));
        if (found == std::string_view::npos) {
            break;
        }
        out.append(to);
        at = found + from.size();
    }
    return out;
}

std::string_view Trimmed(std::string_view text, std::string_view front, std::string_view back) {
    const std::size_t first = text.find_first_not_of(front);
    if (first == std::string_view::npos) {
        return {};
    }
    text.remove_prefix(first);
    const std::size_t last = text.find_last_not_of(back);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// True when the content is exactly one quoted field, give or take blanks around it and the line
// end: written in the notebook's layout, the field then holds all of it.
bool IsOneField(std::string_view content, std::string_view field) {
    const std::string line = RhythmFile::FormatLine(field);
    return Trimmed(content, " \t", " \t\r\n") == Trimmed(line, " \t", " \t\r\n");
}

} // namespace

std::string NotebookFile::TextOf(std::string_view content) {
    const std::string text = TextEncoding::ToUtf8(content);
    if (Trimmed(text, " \t\r\n", " \t\r\n").empty()) {
        return {};
    }
    const std::optional<std::string> field = RhythmFile::FirstField(text);
    const std::string& kept = field && IsOneField(text, *field) ? *field : text;
    return Replaced(kept, "\r\n", "\n");
}

std::string NotebookFile::ContentOf(std::string_view text) {
    return RhythmFile::FormatLine(Replaced(text, "\n", "\r\n"));
}

std::string NotebookFile::Read(const std::filesystem::path& file) {
    // A named pipe or a device in the file's place would hold the window until someone writes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    std::string content;
    std::array<char, 65536> chunk{};
    // read() turns a failing read (a folder, a device error) into the stream's state rather than
    // an exception.
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        content.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return {};
    }
    return TextOf(content);
}

std::optional<NotebookFile::Error> NotebookFile::Write(const std::filesystem::path& file,
                                                       std::string_view text) {
    // The file is replaced through a rename, which the folder allows whatever the file's own
    // permissions say; a file the player made read-only is left as it is. Anything but an
    // ordinary file is refused by the rhythm file's writer.
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ((existing.st_mode & 0222) == 0 ||
         (::access(file.c_str(), W_OK) != 0 && errno == EACCES))) {
        return Error{"the file is read-only"};
    }
    const std::optional<RhythmFile::Error> error =
        RhythmFile::Write(file.string(), Replaced(text, "\n", "\r\n"));
    if (error) {
        return Error{error->reason};
    }
    return std::nullopt;
}
