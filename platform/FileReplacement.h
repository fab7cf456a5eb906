#pragma once

#include "FileDescriptor.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

// Replaces a file's content atomically and durably: the bytes go to a temporary file beside it,
// which is synced and renamed over the file, so that a crash or a full disk leaves either the old
// file or the new one, never half of either. Through a symbolic link the file it points to is
// replaced and the link stays; only an ordinary file is replaced, never a named pipe or a device;
// the new file keeps the permissions of the one it replaces. Rhythm files, the notes, the
// journal's export and the wave export all go through here.
//
// The temporary file has no name until it is complete where the file system allows, so that a
// writer killed part way leaves nothing; elsewhere it is a locked ".pulsara-*.part" file, and the
// next replacement in the folder removes those that nobody holds.
class FileReplacement {
public:
    // A step that failed: what went wrong in words, and the system's error number if it had one.
    class Failure : public std::runtime_error {
    public:
        Failure(int error, const std::string& reason)
            : std::runtime_error(reason)
            , error(error) {}
        int Error() const noexcept { return error; }

    private:
        int error;
    };

    // Nothing when the file was replaced; else why not, in words.
    [[nodiscard]] static std::optional<std::string> Write(const std::filesystem::path& file,
                                                          std::string_view bytes);

    // Opens the temporary file for a new content of `file`; the steps throw a Failure. The file
    // stays as it is until Commit; a replacement released without it removes its temporary file.
    explicit FileReplacement(const std::filesystem::path& file);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void Append(std::span<const unsigned char> bytes);
    // Writes over bytes appended before.
    void WriteAt(std::span<const unsigned char> bytes, int64_t offset);
    // Syncs the new content and puts it in the place of the file.
    void Commit();

    static constexpr std::string_view PartPrefix = ".pulsara-";
    static constexpr std::string_view PartSuffix = ".part";

private:
    void CreateTemporary();
    std::filesystem::path PartName() const;
    static void RemoveStaleParts(const std::filesystem::path& folder);
    void LinkUnnamed();
    void SyncFolder() const;

    std::filesystem::path target;
    std::filesystem::path folder;
    // Empty while the temporary file has no name.
    std::filesystem::path temporary;
    FileDescriptor descriptor;
    bool committed = false;
};
