#include "NotebookFile.h"

#include "NotebookText.h"
#include "RhythmFile.h"
#include "TextEncoding.h"

#include <array>
#include <cerrno>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string Utf8Of(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        TextEncoding::AppendUtf8(out, code);
    }
    return out;
}

std::u16string Utf16Of(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t code = 0xFFFD;
        const std::size_t length = TextEncoding::Utf8Sequence(text, at, &code);
        if (length == 0) {
            code = 0xFFFD;
        }
        if (code >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        at += length == 0 ? 1 : length;
    }
    return out;
}

} // namespace

std::string NotebookFile::TextOf(std::string_view content) {
    return Utf8Of(NotebookText(content).Shown());
}

std::string NotebookFile::ContentOf(std::string_view text) {
    return NotebookText().ContentWith(Utf16Of(text));
}

std::optional<std::string> NotebookFile::Content(const std::filesystem::path& file) {
    // A named pipe or a device in the file's place would hold the window until someone writes.
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::string content;
    std::array<char, 65536> chunk{};
    // read() turns a failing read (a folder, a device error) into the stream's state rather than
    // an exception.
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        content.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad()) {
        return std::nullopt;
    }
    return content;
}

std::string NotebookFile::Read(const std::filesystem::path& file) {
    return TextOf(Content(file).value_or(std::string()));
}

std::optional<NotebookFile::Error> NotebookFile::Write(const std::filesystem::path& file,
                                                       std::string_view text) {
    return WriteContent(file, ContentOf(text));
}

std::optional<NotebookFile::Error> NotebookFile::WriteContent(const std::filesystem::path& file,
                                                              std::string_view content) {
    // The file is replaced through a rename, which the folder allows whatever the file's own
    // permissions say; a file the player made read-only is left as it is. Anything but an
    // ordinary file is refused by the rhythm file's writer.
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ((existing.st_mode & 0222) == 0 ||
         (::access(file.c_str(), W_OK) != 0 && errno == EACCES))) {
        return Error{"the file is read-only"};
    }
    if (const std::optional<RhythmFile::Error> error =
            RhythmFile::Replace(file.string(), content)) {
        return Error{error->reason};
    }
    return std::nullopt;
}
