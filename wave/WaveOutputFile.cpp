#include "WaveOutputFile.h"

#include "WaveFailure.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
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

WaveOutputFile::WaveOutputFile(std::filesystem::path target)
    : target(std::move(target)) {
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
        ::unlink(temporary.c_str());
    }
}

void WaveOutputFile::CreateTemporary() {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    // A name of our own beside the target, so that the final move stays on one file system; the
    // exclusive create never reuses a file that someone else made.
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = folder / (".pulsara-export-" + RandomSuffix() + ".part");
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file = FileDescriptor(fd);
            return;
        }
        if (errno != EEXIST) {
            throw FileFailure(errno, "the folder \"" + folder.string() + "\" cannot be written");
        }
    }
    throw FileFailure(EEXIST, "no temporary file could be made beside it");
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
    if (const int error = file.Close(); error != 0) {
        throw FileFailure(error, "the file cannot be written");
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        throw FileFailure(errno, "the finished file cannot take the place of the old one");
    }
    committed = true;
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
