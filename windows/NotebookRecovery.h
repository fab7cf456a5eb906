#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Notes that could not be written to the notebook's file when the program was made to end (a
// signal, the end of the session), when nobody is left to answer a message. They go to a file of
// their own in a recovery folder (beside the settings file), and the next start names it.
class NotebookRecovery {
public:
    // Writes the notes in the notebook's layout to a new file in folder, "notebook-recovered.txt"
    // or, when that is taken by an earlier rescue, the same name with a number. The file written,
    // or nothing when even that failed.
    static std::optional<std::filesystem::path> Save(const std::filesystem::path& folder,
                                                     std::string_view text);

    // The files of earlier rescues that are still in folder, in name order.
    static std::vector<std::filesystem::path> Kept(const std::filesystem::path& folder);

    // The sentence that names them at start-up; empty when there are none.
    static std::string Notice(const std::filesystem::path& folder);

    static constexpr std::string_view Stem = "notebook-recovered";
};
