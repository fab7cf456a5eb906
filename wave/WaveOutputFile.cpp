#include "WaveOutputFile.h"

#include "LinkTarget.h"
#include "WaveFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// Tells a full disk from every other failure to write, since the user's remedy differs.
WaveFailure FileFailure(int error, const std::string& doing) {
    const std::string detail = std::generic_category().message(error);
    if (error == ENOSPC || error == EDQUOT || error == EFBIG) {
        return WaveFailure(WaveError::NoRoom, "there is no room for it (" + detail + ")");
    }
    return WaveFailure(WaveError::CannotWrite, doing + " (" + detail + ")");
}

std::string RandomSuffix() {
    std::random_device device;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", device(), device());
    return text;
}

} // namespace

WaveOutputFile::WaveOutputFile(const std::filesystem::path& chosen)
    : target(LinkTarget(chosen)) {
    if (this->target.filename().empty()) {
        throw WaveFailure(WaveError::CannotWrite, "no file name was given");
    }
    std::error_code error;
    if (std::filesystem::is_directory(this->target, error)) {
        throw WaveFailure(WaveError::CannotWrite, "it is a folder");
    }
    CreateTemporary();
    buffer.resize(BufferSize);
}

WaveOutputFile::~WaveOutputFile() {
    if (!committed) {
        file.Close();
        if (!temporary.empty()) {
            ::unlink(temporary.c_str());
        }
    }
}

void WaveOutputFile::CreateTemporary() {
    folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    RemoveStaleParts(folder);
    // Unnamed until it is complete, so that a render killed part way leaves nothing behind.
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        file = FileDescriptor(fd);
        ::flock(fd, LOCK_EX);
        return;
    }
    // The file system has no unnamed files (or the folder is unusable, which the named file then
    // reports): a named one, locked for as long as it is written, so that the next export can tell
    // it from one whose render was killed.
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = PartName();
        const int named = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (named >= 0) {
            file = FileDescriptor(named);
            ::flock(named, LOCK_EX);
            return;
        }
        if (errno != EEXIST) {
            temporary.clear();
            throw FileFailure(errno, "the folder \"" + folder.string() + "\" cannot be written");
        }
    }
    temporary.clear();
    throw FileFailure(EEXIST, "no temporary file could be made beside it");
}

std::filesystem::path WaveOutputFile::PartName() const {
    return folder / (std::string(PartPrefix) + RandomSuffix() + std::string(PartSuffix));
}

// A part file that nobody holds locked belongs to a render that was killed (or to a version of
// the program that did not lock them). Failures are ignored: the export does not depend on them.
void WaveOutputFile::RemoveStaleParts(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (!name.starts_with(PartPrefix) || !name.ends_with(PartSuffix)) {
            continue;
        }
        const FileDescriptor part(
            ::open(entry->path().c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat status {};
        if (part.IsOpen() && ::fstat(part.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::flock(part.Get(), LOCK_EX | LOCK_NB) == 0) {
            ::unlink(entry->path().c_str());
        }
    }
}

void WaveOutputFile::Append(std::span<const unsigned char> bytes) {
    if (bytes.size() > buffer.size() - used) {
        Flush();
    }
    if (bytes.size() > buffer.size()) {
        WriteAll(bytes.data(), bytes.size());
    } else {
        std::memcpy(buffer.data() + used, bytes.data(), bytes.size());
        used += bytes.size();
    }
    size += static_cast<int64_t>(bytes.size());
}

void WaveOutputFile::AppendZeros(std::size_t count) {
    size += static_cast<int64_t>(count);
    while (count > 0) {
        if (used == buffer.size()) {
            Flush();
        }
        const std::size_t part = std::min(count, buffer.size() - used);
        std::memset(buffer.data() + used, 0, part);
        used += part;
        count -= part;
    }
}

void WaveOutputFile::Commit(std::span<const unsigned char> start) {
    Flush();
    WriteAt(start, 0);
    if (temporary.empty()) {
        LinkUnnamed();
    }
    if (const int error = file.Close(); error != 0) {
        throw FileFailure(error, "the file cannot be written");
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        throw FileFailure(errno, "the finished file cannot take the place of the old one");
    }
    committed = true;
}

// The complete unnamed file gets a name of its own beside the target first, since a link never
// replaces an existing file; the rename then puts it in place as for a named one.
void WaveOutputFile::LinkUnnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(file.Get());
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::filesystem::path name = PartName();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(file.Get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            temporary = name;
            return;
        }
        if (errno != EEXIST) {
            throw FileFailure(errno, "the finished file cannot be given a name");
        }
    }
    throw FileFailure(EEXIST, "the finished file cannot be given a name");
}

void WaveOutputFile::Flush() {
    WriteAll(buffer.data(), used);
    used = 0;
}

void WaveOutputFile::WriteAll(const unsigned char* data, std::size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(file.Get(), data, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw FileFailure(written < 0 ? errno : ENOSPC, "the file cannot be written");
        }
        data += written;
        count -= static_cast<std::size_t>(written);
    }
}

void WaveOutputFile::WriteAt(std::span<const unsigned char> bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(file.Get(), bytes.data() + done, bytes.size() - done,
                                         offset + static_cast<off_t>(done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw FileFailure(written < 0 ? errno : ENOSPC, "the file cannot be written");
        }
        done += static_cast<std::size_t>(written);
    }
}
