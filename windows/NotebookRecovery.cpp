#include "NotebookRecovery.h"

#include "FileContent.h"
#include "NotebookDraft.h"
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

// The first rescue name in folder that is not taken: an earlier rescue is never overwritten, its
// notes may not have been looked at yet.
std::optional<std::filesystem::path> FreeName(const std::filesystem::path& folder) {
    std::error_code error;
    for (int number = 1; number <= 100; ++number) {
        const std::filesystem::path file = Candidate(folder, number);
        if (!std::filesystem::exists(file, error) && !error) {
            return file;
        }
    }
    return std::nullopt;
}

bool IsStaleDraft(const std::filesystem::path& file) {
    const std::optional<long> run = NotebookDraft::ProcessOf(file.filename().string());
    return run && NotebookDraft::RunIsGone(*run);
}

} // namespace

std::optional<std::filesystem::path>
NotebookRecovery::Save(const std::vector<std::filesystem::path>& folders,
                       std::string_view content) {
    for (const std::filesystem::path& folder : folders) {
        if (!NotebookDraft::UsableFolder(folder)) {
            continue;
        }
        const std::optional<std::filesystem::path> file = FreeName(folder);
        if (file && !NotebookFile::WriteContent(*file, content)) {
            return file;
        }
    }
    return std::nullopt;
}

void NotebookRecovery::TakeOverDrafts(const std::vector<std::filesystem::path>& folders,
                                      const std::optional<std::string>& notebook) {
    for (const std::filesystem::path& folder : folders) {
        std::error_code error;
        std::vector<std::filesystem::path> drafts;
        for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
             entry.increment(error)) {
            if (IsStaleDraft(entry->path())) {
                drafts.push_back(entry->path());
            }
        }
        // A draft that can be neither removed nor renamed stays as it is, and Kept names it.
        for (const std::filesystem::path& draft : drafts) {
            const std::optional<std::string> content = FileContent(draft);
            if (content && content == notebook) {
                std::filesystem::remove(draft, error);
                continue;
            }
            if (const std::optional<std::filesystem::path> kept = FreeName(folder)) {
                std::filesystem::rename(draft, *kept, error);
            }
        }
    }
}

std::vector<std::filesystem::path> NotebookRecovery::Kept(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> kept;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if ((name.starts_with(Stem) && name.ends_with(".txt")) || IsStaleDraft(entry->path())) {
            kept.push_back(entry->path());
        }
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

std::string NotebookRecovery::Notice(const std::vector<std::filesystem::path>& folders) {
    std::string names;
    for (const std::filesystem::path& folder : folders) {
        for (const std::filesystem::path& file : Kept(folder)) {
            names += "\n\"" + file.string() + "\"";
        }
    }
    if (names.empty()) {
        return {};
    }
    return "Notes that did not reach the notebook when Pulsara ended earlier are kept in:" + names +
           "\nCopy them into the notebook and remove the file to stop this message.";
}
