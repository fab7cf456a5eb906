#pragma once

#include "FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

// The file an export writes. It is built as a temporary file in the target's folder and moved over
// the target only when complete, so the target always holds either the whole new file or what it
// held before. The temporary file has no name until it is complete where the file system allows
// (a killed render then leaves nothing); elsewhere it is a locked ".pulsara-export-*.part" file,
// and the next export into the folder removes those that nobody holds. Every failure throws a
// WaveFailure; a file not committed is removed on release. A target that is a symbolic link is
// written through: the file it points to is replaced, and the link stays.
class WaveOutputFile {
public:
    explicit WaveOutputFile(const std::filesystem::path& chosen);
    ~WaveOutputFile();
    WaveOutputFile(const WaveOutputFile&) = delete;
    WaveOutputFile& operator=(const WaveOutputFile&) = delete;

    void Append(std::span<const unsigned char> bytes);
    void AppendZeros(std::size_t count);

    // Bytes appended so far.
    int64_t Size() const { return size; }

    // Writes `start` over the first bytes of the file, closes it and moves it over the target.
    void Commit(std::span<const unsigned char> start);

    // The name of the file until it is committed; empty while it has none.
    const std::filesystem::path& TemporaryPath() const { return temporary; }

    static constexpr std::string_view PartPrefix = ".pulsara-export-";
    static constexpr std::string_view PartSuffix = ".part";

    static constexpr std::size_t BufferSize = std::size_t{1} << 20;

private:
    void CreateTemporary();
    std::filesystem::path PartName() const;
    static void RemoveStaleParts(const std::filesystem::path& folder);
    void LinkUnnamed();
    void Flush();
    void WriteAll(const unsigned char* data, std::size_t count);
    void WriteAt(std::span<const unsigned char> bytes, off_t offset);

    std::filesystem::path target;
    std::filesystem::path folder;
    std::filesystem::path temporary;
    FileDescriptor file;
    std::vector<unsigned char> buffer;
    std::size_t used = 0;
    int64_t size = 0;
    bool committed = false;
};
