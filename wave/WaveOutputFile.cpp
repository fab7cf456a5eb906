#include "WaveOutputFile.h"

#include "WaveFailure.h"

#include <algorithm>
#include <cstring>
#include <system_error>

WaveOutputFile::WaveOutputFile(const std::filesystem::path& chosen)
    : file(Checked(chosen))
    , buffer(BufferSize) {}

// Said in the export's own words before a temporary file is made.
const std::filesystem::path& WaveOutputFile::Checked(const std::filesystem::path& chosen) {
    if (chosen.filename().empty()) {
        throw WaveFailure(WaveError::CannotWrite, "no file name was given");
    }
    std::error_code error;
    if (std::filesystem::is_directory(chosen, error)) {
        throw WaveFailure(WaveError::CannotWrite, "it is a folder");
    }
    return chosen;
}

void WaveOutputFile::Append(std::span<const unsigned char> bytes) {
    if (bytes.size() > buffer.size() - used) {
        Flush();
    }
    if (bytes.size() > buffer.size()) {
        file.Append(bytes);
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
    file.WriteAt(start, 0);
    file.Commit();
}

void WaveOutputFile::Flush() {
    file.Append({buffer.data(), used});
    used = 0;
}
