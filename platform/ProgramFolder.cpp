#include "ProgramFolder.h"

#include <system_error>

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !exe.has_parent_path()) {
        return std::filesystem::current_path(error);
    }
    return exe.parent_path();
}

std::filesystem::path DataFolder() {
    const std::filesystem::path program = ProgramFolder();
    const std::filesystem::path installed =
        (program / ".." / "share" / "pulsara").lexically_normal();
    std::error_code error;
    return std::filesystem::is_directory(installed, error) ? installed : program;
}
