#pragma once

#include <filesystem>

// Where the notebook's file lives: the per-user data folder ($XDG_DATA_HOME/Pulsara, usually
// ~/.local/share/Pulsara), so that the notes are found whichever folder the program is started
// from. Earlier the file lay in the current folder; where the data folder holds no notebook yet and
// the current folder holds one, its text is taken over once and the old file is left as it is.
class NotebookFolder {
public:
    // The data folder named by the environment's XDG_DATA_HOME and HOME (either may be null); empty
    // when neither names an absolute folder.
    static std::filesystem::path UserDataFolder(const char* xdgDataHome, const char* home);
    // The same for the running program's environment.
    static std::filesystem::path EnvironmentDataFolder();

    // Takes an old notebook in currentFolder over into dataFolder where that has none yet, and
    // gives the folder the notebook window is to use: dataFolder, or currentFolder when dataFolder
    // is unknown or cannot be written, so that the notes are never hidden from their owner.
    static std::filesystem::path Prepare(const std::filesystem::path& dataFolder,
                                         const std::filesystem::path& currentFolder);

    // The same for the running program's environment and current folder.
    static std::filesystem::path Prepare();

    // The folder whose notebook holds the notes now, changing nothing: the data folder, or the
    // current folder while its notebook has not been taken over yet.
    static std::filesystem::path Where(const std::filesystem::path& dataFolder,
                                       const std::filesystem::path& currentFolder);
    static std::filesystem::path Where();
};
