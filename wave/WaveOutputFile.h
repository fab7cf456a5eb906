#pragma once

#include "FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

// The file an export writes. It is built as a temporary file in the target's folder and moved over
// the target only when complete, so the target always holds either the whole new file or what it
// held before. Every failure throws a WaveFailure; a file not committed is removed on release.
class WaveOutputFile {
public:
    explicit WaveOutputFile(std::filesystem::path target);
    ~WaveOutputFile();
    WaveOutputFile(const WaveOutputFile&) = delete;
    WaveOutputFile& operator=(const WaveOutputFile&) = delete;

    void Append(std::span<const unsigned char> bytes);
    void AppendZeros(std::size_t count);

    // Bytes appended so far.
    int64_t Size() const { return size; }

    // Writes `start` over the first bytes of the file, closes it and moves it over the target.
    void Commit(std::span<const unsigned char> start);

    // Where the file is built until it is committed.
    const std::filesystem::path& TemporaryPath() const { return temporary; }

    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

private:
    void CreateTemporary();
    void Flush();
    void WriteAll(const unsigned char* data, std::size_t count);
    void WriteAt(std::span<const unsigned char> bytes, off_t offset);

    std::filesystem::path target;
    std::filesystem::path temporary;
    FileDescriptor file;
    std::vector<unsigned char> buffer;
    std::size_t used = 0;
    int64_t size = 0;
    bool committed = false;
};
