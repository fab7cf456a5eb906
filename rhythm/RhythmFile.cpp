#include "RhythmFile.h"

#include "FileDescriptor.h"
#include "FileReplacement.h"
#include "TextEncoding.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string ErrnoText() {
    return std::generic_category().message(errno);
}

std::optional<std::string> Fail(RhythmFile::Error* error, std::string reason) {
    if (error != nullptr) {
        error->reason = std::move(reason);
    }
    return std::nullopt;
}

// complete is false when the content was cut off by the read limit: a field that reaches the
// cut is then not known whole, and a quote at the very cut may be the first of a doubled one.
std::optional<std::string> QuotedField(std::string_view rest, bool complete) {
    std::string text;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != '"') {
            text += rest[i];
        } else if (i + 1 < rest.size() && rest[i + 1] == '"') {
            text += '"';
            ++i;
        } else if (i + 1 < rest.size() || complete) {
            return text;
        }
    }
    return std::nullopt;
}

std::optional<std::string> UnquotedField(std::string_view rest, bool complete) {
    const std::size_t end = rest.find_first_of(",\r\n");
    if (end == std::string_view::npos && !complete) {
        return std::nullopt;
    }
    std::string_view field = rest.substr(0, end);
    const std::size_t last = field.find_last_not_of(" \t");
    field = last == std::string_view::npos ? std::string_view() : field.substr(0, last + 1);
    if (field.empty()) {
        return std::nullopt;
    }
    return std::string(field);
}

std::optional<std::string> ParseField(std::string_view content, bool complete) {
    const std::size_t first = content.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    if (content[first] == '"') {
        return QuotedField(content.substr(first + 1), complete);
    }
    return UnquotedField(content.substr(first), complete);
}

// Reads up to limit + 1 bytes, so that the caller can tell whether the file is longer.
std::optional<std::string> ReadHead(int fd, std::size_t limit, std::string& reason) {
    std::string content;
    std::array<char, 65536> chunk{};
    while (content.size() <= limit) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            reason = ErrnoText();
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return content;
}

} // namespace

std::optional<std::string> RhythmFile::FirstField(std::string_view content) {
    return ParseField(content, true);
}

std::string RhythmFile::FormatLine(std::string_view text) {
    std::string line = "\"";
    for (const char c : text) {
        line += c;
        if (c == '"') {
            line += '"';
        }
    }
    line += "\"\r\n";
    return line;
}

std::optional<std::string> RhythmFile::Read(const std::string& fileName, Error* error) {
    // Opened without waiting: a named pipe or a device could otherwise hold the window until
    // someone writes to it. Only an ordinary file is read, and that then blocking as usual.
    FileDescriptor fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsOpen()) {
        return Fail(error, ErrnoText());
    }
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0) {
        return Fail(error, ErrnoText());
    }
    if (!S_ISREG(status.st_mode)) {
        return Fail(error, "it is not an ordinary file");
    }
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    std::string reason;
    std::optional<std::string> content = ReadHead(fd.Get(), MaxReadBytes, reason);
    if (!content) {
        return Fail(error, reason);
    }
    const bool complete = content->size() <= MaxReadBytes;
    if (!complete) {
        content->resize(MaxReadBytes);
    }
    if (content->empty()) {
        return Fail(error, "the file is empty");
    }
    if (content->find('\0') != std::string::npos) {
        return Fail(error, "the file is not a text file");
    }
    std::string_view text = *content;
    if (text.starts_with(ByteOrderMark)) {
        text.remove_prefix(ByteOrderMark.size());
    }
    // The field's bounds are plain ASCII in both encodings, so the field is found first and only
    // its own bytes decide the encoding: a head cut off at the read limit cannot split a character
    // inside it.
    const std::optional<std::string> field = ParseField(text, complete);
    if (!field) {
        // Without its end in the part that is read, the field may well be there, only too long.
        return Fail(error, complete ? "the file holds no rhythm"
                                    : "the rhythm in the file is too long (over " +
                                          std::to_string(MaxReadBytes >> 20) + " MB)");
    }
    return TextEncoding::ToUtf8(*field);
}

std::optional<RhythmFile::Error> RhythmFile::Write(const std::string& fileName,
                                                   std::string_view text) {
    if (std::optional<std::string> reason = FileReplacement::Write(fileName, FormatLine(text))) {
        return Error{std::move(*reason)};
    }
    return std::nullopt;
}
