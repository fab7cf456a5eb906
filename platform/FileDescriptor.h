#pragma once

#include <cerrno>
#include <unistd.h>

// Owns one open POSIX file descriptor and closes it when released.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd)
        : fd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept
        : fd(other.fd) {
        other.fd = -1;
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            Close();
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }

    int Get() const { return fd; }
    bool IsOpen() const { return fd >= 0; }

    // Closes now; returns 0 or the error number of the close, which can report a write that the
    // file system deferred.
    int Close() {
        if (fd < 0) {
            return 0;
        }
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd = -1;
};
