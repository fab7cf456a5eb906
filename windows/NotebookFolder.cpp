#include "NotebookFolder.h"

#include "FileContent.h"
#include "NotebookFile.h"

#include <cstdlib>
#include <system_error>

namespace {

// A relative value is invalid in the environment's folder variables and is ignored.
std::filesystem::path AbsoluteOrEmpty(const char* value) {
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

// Empty when the current folder is gone.
std::filesystem::path CurrentFolder() {
    std::error_code error;
    return std::filesystem::current_path(error);
}

} // namespace

std::filesystem::path NotebookFolder::EnvironmentDataFolder() {
    return UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

std::filesystem::path NotebookFolder::UserDataFolder(const char* xdgDataHome, const char* home) {
    std::filesystem::path data = AbsoluteOrEmpty(xdgDataHome);
    if (data.empty()) {
        const std::filesystem::path homeFolder = AbsoluteOrEmpty(home);
        if (homeFolder.empty()) {
            return {};
        }
        data = homeFolder / ".local" / "share";
    }
    return data / "Pulsara";
}

std::filesystem::path NotebookFolder::Prepare(const std::filesystem::path& dataFolder,
                                              const std::filesystem::path& currentFolder) {
    if (dataFolder.empty()) {
        return currentFolder;
    }
    std::error_code error;
    std::filesystem::create_directories(dataFolder, error);
    if (!std::filesystem::is_directory(dataFolder, error)) {
        return currentFolder;
    }
    const std::filesystem::path file = dataFolder / NotebookFile::FileName;
    const std::filesystem::path old = currentFolder / NotebookFile::FileName;
    if (std::filesystem::exists(file, error) || !std::filesystem::is_regular_file(old, error)) {
        return dataFolder;
    }
    // The old file is left as it is: an older version of the program started there still reads it.
    // Its bytes are copied as they are.
    const std::optional<std::string> content = FileContent(old);
    if (!content || NotebookFile::WriteContent(file, *content)) {
        return currentFolder;
    }
    return dataFolder;
}

std::filesystem::path NotebookFolder::Prepare() {
    return Prepare(EnvironmentDataFolder(), CurrentFolder());
}

std::filesystem::path NotebookFolder::Where(const std::filesystem::path& dataFolder,
                                            const std::filesystem::path& currentFolder) {
    std::error_code error;
    if (dataFolder.empty() ||
        (!std::filesystem::exists(dataFolder / NotebookFile::FileName, error) &&
         std::filesystem::is_regular_file(currentFolder / NotebookFile::FileName, error))) {
        return currentFolder;
    }
    return dataFolder;
}

std::filesystem::path NotebookFolder::Where() {
    return Where(EnvironmentDataFolder(), CurrentFolder());
}
