#include "NotebookRecovery.h"

#include "NotebookFile.h"

#include <algorithm>
#include <system_error>

namespace {

std::filesystem::path Candidate(const std::filesystem::path& folder, int number) {
    std::string name(NotebookRecovery::Stem);
    if (number != 1) {
        name += '-';
        name += std::to_string(number);
    }
    return folder / (name + ".txt");
}

} // namespace

std::optional<std::filesystem::path> NotebookRecovery::Save(const std::filesystem::path& folder,
                                                            std::string_view text) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    // An earlier rescue is never overwritten: its notes may not have been looked at yet.
    for (int number = 1; number <= 100; ++number) {
        const std::filesystem::path file = Candidate(folder, number);
        if (std::filesystem::exists(file, error)) {
            continue;
        }
        if (!NotebookFile::Write(file, text)) {
            return file;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::vector<std::filesystem::path> NotebookRecovery::Kept(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> kept;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.starts_with(Stem) && name.ends_with(".txt")) {
            kept.push_back(entry->path());
        }
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

std::string NotebookRecovery::Notice(const std::filesystem::path& folder) {
    const std::vector<std::filesystem::path> kept = Kept(folder);
    if (kept.empty()) {
        return {};
    }
    std::string text = "Notes that could not be saved in the notebook when Pulsara was made to end "
                       "are kept in:";
    for (const std::filesystem::path& file : kept) {
        text += "\n\"" + file.string() + "\"";
    }
    return text + "\nCopy them into the notebook and remove the file to stop this message.";
}
