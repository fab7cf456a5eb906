#include "FileReplacement.h"

#include "FileDescriptor.h"
#include "LinkTarget.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string ErrnoText(int error) {
    return std::generic_category().message(error == 0 ? EIO : error);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string TemporaryName(const std::filesystem::path& target) {
    std::random_device random;
    const auto tag = (static_cast<unsigned long long>(random()) << 32) ^ random();
    std::string name = ".";
    name += target.filename().string();
    name += ".tmp";
    name += std::to_string(tag);
    return (target.parent_path() / name).string();
}

// The temporary file of a write: removed again unless it was renamed over the target.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        for (int attempt = 0; attempt < 16 && !fd.IsOpen(); ++attempt) {
            name = TemporaryName(target);
            fd =
                FileDescriptor(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            if (!fd.IsOpen() && errno != EEXIST) {
                break;
            }
        }
        if (!fd.IsOpen()) {
            name.clear();
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        fd.Close();
        if (!name.empty() && !renamed) {
            ::unlink(name.c_str());
        }
    }
    bool IsOpen() const { return fd.IsOpen(); }
    int Get() const { return fd.Get(); }
    // Closing can report a write that failed late (on network file systems, for example).
    bool Close() {
        const int error = fd.Close();
        errno = error;
        return error == 0;
    }
    bool RenameTo(const std::string& target) {
        renamed = ::rename(name.c_str(), target.c_str()) == 0;
        return renamed;
    }

private:
    FileDescriptor fd;
    std::string name;
    bool renamed = false;
};

// Makes the rename itself durable. Some file systems refuse to sync a folder; the file's content
// is already on the disk then, so that is not reported.
void SyncFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.IsOpen()) {
        ::fsync(dir.Get());
    }
}

} // namespace

std::optional<std::string> FileReplacement::Write(const std::filesystem::path& file,
                                                  std::string_view bytes) {
    const std::filesystem::path target = LinkTarget(file);
    // The rename would put the bytes in the place of a named pipe or a device, which a save must
    // never remove.
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        return "it is not an ordinary file";
    }
    TemporaryFile temporary(target);
    if (!temporary.IsOpen()) {
        return ErrnoText(errno);
    }
    if (exists) {
        ::fchmod(temporary.Get(), existing.st_mode & 07777);
    }
    if (!WriteAll(temporary.Get(), bytes) || ::fsync(temporary.Get()) != 0 || !temporary.Close() ||
        !temporary.RenameTo(target.string())) {
        return ErrnoText(errno);
    }
    SyncFolder(target);
    return std::nullopt;
}
