#pragma once

#include <filesystem>
#include <optional>
#include <string>

// The bytes of an ordinary file; nothing when it is missing or cannot be read, or is not an
// ordinary file (a named pipe or a device would hold the reader until someone writes to it).
std::optional<std::string> FileContent(const std::filesystem::path& file);
