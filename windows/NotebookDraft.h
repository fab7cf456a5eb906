#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The notes being edited, kept on disk a moment after each change, so that they outlive an end that
// nobody could answer for: the display's connection breaks, the process is killed, the power goes.
// The draft holds the content the notebook's file would get, in a file named after the run
// ("notebook-draft-<process id>.txt") in the first of its folders that takes it; where the first
// cannot (the disk is full), the next is tried and the file is named on stderr. Files are written
// on a thread of their own, so the caller never waits for a disk. The next start takes over the
// drafts of runs that are gone (NotebookRecovery).
class NotebookDraft {
public:
    explicit NotebookDraft(std::vector<std::filesystem::path> folders);
    // Finishes what was handed over; a draft still kept stays on disk.
    ~NotebookDraft();
    NotebookDraft(const NotebookDraft&) = delete;
    NotebookDraft& operator=(const NotebookDraft&) = delete;

    // From the next draft on, the folders are these.
    void UseFolders(std::vector<std::filesystem::path> vData);
    // Keeps content as the draft; a newer content handed over before it is written replaces it.
    void Keep(std::string content);
    // Removes the draft: the notes are in their file, or back to what the file holds.
    void Discard();
    // Waits until everything handed over is done.
    void Flush();
    // The file that holds the draft now, once Flush has returned; nothing when there is none.
    std::optional<std::filesystem::path> Where();

    // The folders for drafts and rescued notes, in the order they are tried: first, then the
    // session's runtime folder ($XDG_RUNTIME_DIR/pulsara), then the temporary folder
    // (pulsara-<user id> in it).
    static std::vector<std::filesystem::path> Folders(const std::filesystem::path& first);
    // The draft's name for a process id, and the process id of a draft's name.
    static std::string FileName(long processId);
    static std::optional<long> ProcessOf(std::string_view fileName);
    // True when no other run of this program has that process id any longer; a draft with this
    // run's own id was left by an earlier run.
    static bool RunIsGone(long processId);
    // Makes folder if needed and says whether a draft may go there: a folder of this user's own.
    static bool UsableFolder(const std::filesystem::path& folder);

private:
    enum class Wanted { Nothing, Keep, Discard };

    void WriteInBackground();
    void WriteDraft(const std::string& content);
    void RemoveDraft();

    std::vector<std::filesystem::path> folders;
    std::mutex mutex;
    std::condition_variable changed;
    Wanted wanted = Wanted::Nothing;
    std::string pending;
    bool busy = false;
    bool stopping = false;
    // Only the writing thread changes these, and only while busy.
    std::optional<std::filesystem::path> where;
    std::optional<std::filesystem::path> named;
    bool failureSaid = false;
    std::thread writer;
};
