#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The notebook's file "notebook.txt": the whole text as one field in double quotes followed by
// CR LF, line breaks inside the quotes written as CR LF, the same layout as a rhythm file. A double
// quote inside the text is written doubled and read back as one, so a text without quotes keeps
// the plain layout and any text comes back whole. How a file's content becomes the text shown and
// goes back into the file after an edit, keeping what the edit did not touch, is NotebookText's.
class NotebookFile {
public:
    struct Error {
        std::string reason;
    };

    static constexpr std::string_view FileName = "notebook.txt";

    // The text the file holds, in UTF-8 with "\n" line breaks, as the notebook shows it. A file in
    // the notebook's layout gives its field. Anything else that is not blank, such as a note
    // written by another editor, gives all of its text, so that closing the notebook cannot cut
    // away what its field would leave out. A missing or unreadable file gives the empty text.
    static std::string Read(const std::filesystem::path& file);

    // Replaces the file atomically with content: a failure leaves the previous file as it was and
    // gives the reason. A file without write permission is not replaced.
    [[nodiscard]] static std::optional<Error> WriteContent(const std::filesystem::path& file,
                                                           std::string_view content);
    // The same with a new file's content for a UTF-8 text with "\n" line breaks.
    [[nodiscard]] static std::optional<Error> Write(const std::filesystem::path& file,
                                                    std::string_view text);

    // The text read from file content, as Read gives it.
    static std::string TextOf(std::string_view content);
    // The content that Write puts into the file.
    static std::string ContentOf(std::string_view text);
};
