#include "NotebookDraft.h"

#include "NotebookFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::string_view Stem = "notebook-draft-";
constexpr std::string_view Extension = ".txt";

std::string CommandOf(const std::string& process) {
    std::ifstream in("/proc/" + process + "/comm");
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

NotebookDraft::NotebookDraft(std::vector<std::filesystem::path> folders)
    : folders(std::move(folders)) {}

NotebookDraft::~NotebookDraft() {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (writer.joinable()) {
        writer.join();
    }
}

void NotebookDraft::UseFolders(std::vector<std::filesystem::path> vData) {
    // The writing thread reads them only while it is busy.
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return wanted == Wanted::Nothing && !busy; });
    folders = std::move(vData);
}

void NotebookDraft::Keep(std::string content) {
    {
        const std::lock_guard lock(mutex);
        wanted = Wanted::Keep;
        pending = std::move(content);
        if (!writer.joinable()) {
            writer = std::thread([this] { WriteInBackground(); });
        }
    }
    changed.notify_all();
}

void NotebookDraft::Discard() {
    {
        const std::lock_guard lock(mutex);
        if (!writer.joinable()) {
            return; // nothing was ever kept
        }
        wanted = Wanted::Discard;
        pending.clear();
    }
    changed.notify_all();
}

void NotebookDraft::Flush() {
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return wanted == Wanted::Nothing && !busy; });
}

std::optional<std::filesystem::path> NotebookDraft::Where() {
    Flush();
    const std::lock_guard lock(mutex);
    return where;
}

void NotebookDraft::WriteInBackground() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return stopping || wanted != Wanted::Nothing; });
        if (wanted == Wanted::Nothing) {
            return;
        }
        const Wanted now = std::exchange(wanted, Wanted::Nothing);
        const std::string content = std::exchange(pending, {});
        busy = true;
        lock.unlock();
        if (now == Wanted::Keep) {
            WriteDraft(content);
        } else {
            RemoveDraft();
        }
        lock.lock();
        busy = false;
        changed.notify_all();
    }
}

void NotebookDraft::WriteDraft(const std::string& content) {
    const std::string name = FileName(::getpid());
    std::string reasons;
    for (const std::filesystem::path& folder : folders) {
        std::string reason = "it cannot be used";
        if (UsableFolder(folder)) {
            const std::optional<NotebookFile::Error> error =
                NotebookFile::WriteContent(folder / name, content);
            if (!error) {
                // An older draft left in another folder is named at the next start.
                std::error_code ignored;
                if (where && *where != folder / name) {
                    std::filesystem::remove(*where, ignored);
                }
                where = folder / name;
                if (folder != folders.front() && named != where) {
                    std::fprintf(stderr,
                                 "pulsara: the notes being typed are kept in \"%s\" (not in %s)\n",
                                 where->c_str(), reasons.c_str());
                }
                named = where;
                failureSaid = false;
                return;
            }
            reason = error->reason;
        }
        reasons += (reasons.empty() ? "\"" : "; \"") + folder.string() + "\": " + reason;
    }
    // The draft kept before, if any, stays: it holds the notes up to an earlier change.
    if (!failureSaid) {
        std::fprintf(stderr, "pulsara: the notes being typed could not be kept in a draft (%s)\n",
                     reasons.c_str());
        failureSaid = true;
    }
}

void NotebookDraft::RemoveDraft() {
    // A draft that cannot be removed is named at the next start, which is all that can be done.
    std::error_code ignored;
    if (where) {
        std::filesystem::remove(*where, ignored);
        where.reset();
    }
}

std::vector<std::filesystem::path> NotebookDraft::Folders(const std::filesystem::path& first) {
    std::vector<std::filesystem::path> found{first};
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        found.push_back(std::filesystem::path(runtime) / "pulsara");
    }
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    if (!error) {
        found.push_back(temporary / ("pulsara-" + std::to_string(::getuid())));
    }
    found.erase(std::remove(found.begin() + 1, found.end(), first), found.end());
    return found;
}

std::string NotebookDraft::FileName(long processId) {
    return std::string(Stem) + std::to_string(processId) + std::string(Extension);
}

std::optional<long> NotebookDraft::ProcessOf(std::string_view fileName) {
    if (!fileName.starts_with(Stem) || !fileName.ends_with(Extension)) {
        return std::nullopt;
    }
    fileName.remove_prefix(Stem.size());
    fileName.remove_suffix(Extension.size());
    long processId = 0;
    const auto [end, error] =
        std::from_chars(fileName.data(), fileName.data() + fileName.size(), processId);
    if (fileName.empty() || error != std::errc() || end != fileName.data() + fileName.size() ||
        processId <= 0) {
        return std::nullopt;
    }
    return processId;
}

bool NotebookDraft::RunIsGone(long processId) {
    if (processId == ::getpid()) {
        return true;
    }
    if (::kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM) {
        return true;
    }
    // The id may have gone to another program since.
    return CommandOf(std::to_string(processId)) != CommandOf("self");
}

bool NotebookDraft::UsableFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::create_directories(folder, error)) {
        // Failing that, the folder keeps the permissions the user's umask gives.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    }
    // A folder in a shared place (the temporary folder) that someone else made is not used.
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::getuid();
}
