#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Replaces a file's content atomically and durably: the bytes go to a temporary file beside it,
// which is synced and renamed over the file, so that a crash or a full disk leaves either the old
// file or the new one, never half of either. Through a symbolic link the file it points to is
// replaced and the link stays; only an ordinary file is replaced, never a named pipe or a device;
// the new file keeps the permissions of the one it replaces. Rhythm files, the notes and the
// journal's export all go through here.
class FileReplacement {
public:
    // Nothing when the file was replaced; else why not, in words.
    [[nodiscard]] static std::optional<std::string> Write(const std::filesystem::path& file,
                                                          std::string_view bytes);
};
