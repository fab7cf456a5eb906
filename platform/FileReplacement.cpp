#include "FileReplacement.h"

#include "LinkTarget.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

FileReplacement::Failure SystemFailure(int error) {
    error = error == 0 ? EIO : error;
    return FileReplacement::Failure(error, std::generic_category().message(error));
}

std::string RandomSuffix() {
    std::random_device device;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", device(), device());
    return text;
}

// A write that takes nothing, which no file system should answer, counts as a failure too.
void WriteFully(int fd, std::span<const unsigned char> bytes, std::optional<off_t> offset) {
    while (!bytes.empty()) {
        const ssize_t written = offset ? ::pwrite(fd, bytes.data(), bytes.size(), *offset)
                                       : ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            throw SystemFailure(written < 0 ? errno : EIO);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        if (offset) {
            *offset += written;
        }
    }
}

} // namespace

std::optional<std::string> FileReplacement::Write(const std::filesystem::path& file,
                                                  std::string_view bytes) {
    try {
        FileReplacement replacement(file);
        replacement.Append({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
        replacement.Commit();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return std::nullopt;
}

FileReplacement::FileReplacement(const std::filesystem::path& file)
    : target(LinkTarget(file))
    , folder(target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) {
    // The rename would put the bytes in the place of a named pipe or a device, which must never
    // be removed.
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        throw Failure(0, "it is not an ordinary file");
    }
    CreateTemporary();
    if (exists) {
        // Where the file system refuses, the new file has what the umask gives; no reason to fail.
        ::fchmod(descriptor.Get(), existing.st_mode & 07777);
    }
}

FileReplacement::~FileReplacement() {
    if (!committed) {
        descriptor.Close();
        if (!temporary.empty()) {
            ::unlink(temporary.c_str());
        }
    }
}

void FileReplacement::CreateTemporary() {
    RemoveStaleParts(folder);
    // Unnamed until it is complete, so that a writer killed part way leaves nothing behind. It
    // gets its name through /proc when complete, so without /proc it is a named one from the
    // start.
    if (::access("/proc/self/fd", X_OK) == 0) {
        descriptor = FileDescriptor(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    }
    // The file system has no unnamed files (or the folder is unusable, which the named file then
    // reports): a named one, locked for as long as it is written, so that the next replacement
    // can tell it from one whose writer was killed.
    for (int attempt = 0; attempt < 16 && !descriptor.IsOpen(); ++attempt) {
        temporary = PartName();
        descriptor = FileDescriptor(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!descriptor.IsOpen() && errno != EEXIST) {
            temporary.clear();
            throw SystemFailure(errno);
        }
    }
    if (!descriptor.IsOpen()) {
        temporary.clear();
        throw SystemFailure(EEXIST);
    }
    // The unnamed file is locked as well, for the moment between its naming and its rename. A
    // lock refused only lets a later replacement take the file for a stale one; nothing to report.
    ::flock(descriptor.Get(), LOCK_EX);
}

std::filesystem::path FileReplacement::PartName() const {
    return folder / (std::string(PartPrefix) + RandomSuffix() + std::string(PartSuffix));
}

// A part file that nobody holds locked belongs to a writer that was killed (or to a version of
// the program that did not lock them). Failures are ignored: the replacement does not depend on
// them.
void FileReplacement::RemoveStaleParts(const std::filesystem::path& folder) {
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

void FileReplacement::Append(std::span<const unsigned char> bytes) {
    WriteFully(descriptor.Get(), bytes, std::nullopt);
}

void FileReplacement::WriteAt(std::span<const unsigned char> bytes, int64_t offset) {
    WriteFully(descriptor.Get(), bytes, static_cast<off_t>(offset));
}

void FileReplacement::Commit() {
    if (::fsync(descriptor.Get()) != 0) {
        throw SystemFailure(errno);
    }
    if (temporary.empty()) {
        LinkUnnamed();
    }
    // Closing can report a write that failed late (on network file systems, for example).
    if (const int error = descriptor.Close(); error != 0) {
        throw SystemFailure(error);
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        throw SystemFailure(errno);
    }
    committed = true;
    SyncFolder();
}

// The complete unnamed file gets a name of its own beside the target first, since a link never
// replaces an existing file; the rename then puts it in place as for a named one.
void FileReplacement::LinkUnnamed() {
    const std::string self = "/proc/self/fd/" + std::to_string(descriptor.Get());
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::filesystem::path name = PartName();
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(descriptor.Get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            temporary = name;
            return;
        }
        if (errno != EEXIST) {
            throw SystemFailure(errno);
        }
    }
    throw SystemFailure(EEXIST);
}

// Makes the rename itself durable. Some file systems refuse to sync a folder; the file's content
// is already on the disk then, so that is not reported.
void FileReplacement::SyncFolder() const {
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.Get());
    }
}
