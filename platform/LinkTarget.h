#pragma once

#include <filesystem>

// The file that a path finally names: a symbolic link (or a chain of them) is followed, so that a
// file replaced through a rename is the one the link points to and the link itself stays. A path
// that is no link, or a chain too long to be real, is given back as it stands.
std::filesystem::path LinkTarget(const std::filesystem::path& file);
