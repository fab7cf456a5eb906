#pragma once

#include "FileReplacement.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

// The file an export writes, buffered. It replaces the chosen file only when complete, so the
// target always holds either the whole new file or what it held before; a file not committed
// leaves nothing behind. The steps throw a WaveFailure, or a FileReplacement::Failure where the
// file could not be written.
class WaveOutputFile {
public:
    explicit WaveOutputFile(const std::filesystem::path& chosen);

    void Append(std::span<const unsigned char> bytes);
    void AppendZeros(std::size_t count);

    // Bytes appended so far.
    int64_t Size() const { return size; }

    // Writes `start` over the first bytes of the file and puts it in the place of the target.
    void Commit(std::span<const unsigned char> start);

    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

private:
    static const std::filesystem::path& Checked(const std::filesystem::path& chosen);
    void Flush();

    FileReplacement file;
    std::vector<unsigned char> buffer;
    std::size_t used = 0;
    int64_t size = 0;
};
