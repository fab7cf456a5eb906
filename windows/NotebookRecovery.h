#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Notes that did not reach the notebook's file: those that could not be written when the program
// was made to end (a signal, the end of the session) with nobody left to answer a message, and the
// drafts of runs that ended without closing the notebook (NotebookDraft). They are kept in files of
// their own in the folders for rescued notes (beside the settings file first), and every start
// names them until the player removes them.
class NotebookRecovery {
public:
    // Writes content, as the notebook's file would have it, to a new file in the first of folders
    // that takes it: "notebook-recovered.txt" or, when that is taken by an earlier rescue, the
    // same name with a number. The file written, or nothing when no folder took it.
    static std::optional<std::filesystem::path>
    Save(const std::vector<std::filesystem::path>& folders, std::string_view content);

    // At start-up: the drafts in folders that runs now gone left behind. One that holds what the
    // notebook (its content, nothing when it has no file) holds is removed; any other becomes a
    // rescued file.
    static void TakeOverDrafts(const std::vector<std::filesystem::path>& folders,
                               const std::optional<std::string>& notebook);

    // The rescued files in folder, in name order, with any draft of a run that is gone that could
    // not be renamed.
    static std::vector<std::filesystem::path> Kept(const std::filesystem::path& folder);

    // The sentence that names those of all folders at start-up; empty when there are none.
    static std::string Notice(const std::vector<std::filesystem::path>& folders);

    static constexpr std::string_view Stem = "notebook-recovered";
};
