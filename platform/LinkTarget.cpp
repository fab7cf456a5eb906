#include "LinkTarget.h"

std::filesystem::path LinkTarget(const std::filesystem::path& file) {
    // Bounded as the system bounds it, so that a loop of links cannot hang the caller.
    constexpr int MostLinks = 40;
    std::filesystem::path path = file;
    std::error_code error;
    for (int links = 0; links < MostLinks && std::filesystem::is_symlink(path, error); ++links) {
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            return file;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::filesystem::is_symlink(path, error) ? file : path;
}
