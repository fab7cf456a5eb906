#include "JournalCsv.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string Row(const JournalEntry& e) {
    return Field(e.Started) + "," + std::to_string(e.Seconds) + "," + Field(e.Rhythm) + "," +
           Field(e.Source.Kind) + "," + Field(e.Source.Name) + "," + std::to_string(e.TempoStart) +
           "," + std::to_string(e.TempoEnd) + "," + std::to_string(e.TempoMax) + "," +
           YesNo(e.PauseCycle) + "," + YesNo(e.Accelerando) + "\r\n";
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

} // namespace

std::string JournalCsv::Text(const std::vector<JournalEntry>& entries) {
    std::string text = std::string(Header) + "\r\n";
    for (const JournalEntry& entry : entries) {
        text += Row(entry);
    }
    return text;
}

std::optional<std::string> JournalCsv::Write(const std::filesystem::path& file,
                                             std::string_view text) {
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return std::strerror(errno);
    }
    // An export is an ordinary document, readable by others as one saved by any other program.
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), file.c_str()) == 0) {
        return std::nullopt;
    }
    const int reason = written && closed ? errno : error;
    ::unlink(temporary.c_str());
    return std::strerror(reason == 0 ? EIO : reason);
}
