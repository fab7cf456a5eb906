#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The notebook's file "notebook.txt": the whole text as one field in double quotes followed by
// CR LF, line breaks inside the quotes written as CR LF, the same layout as a rhythm file. A double
// quote inside the text is written doubled and read back as one, so a text without quotes keeps
// the plain layout and any text comes back whole. Inside the program the text is UTF-8 with "\n"
// line breaks.
class NotebookFile {
public:
    struct Error {
        std::string reason;
    };

    static constexpr std::string_view FileName = "notebook.txt";

    // The text the file holds. A file in the notebook's layout gives its field. Anything else that
    // is not blank, such as a note written by another editor, gives all of its text, so that
    // closing the notebook cannot cut away what its field would leave out. A missing or unreadable
    // file gives the empty text.
    static std::string Read(const std::filesystem::path& file);

    // Replaces the file atomically: a failure leaves the previous file as it was and gives the
    // reason. A file without write permission is not replaced.
    [[nodiscard]] static std::optional<Error> Write(const std::filesystem::path& file,
                                                    std::string_view text);

    // The text read from file content in UTF-8 or Windows-1252, as Read gives it.
    static std::string TextOf(std::string_view content);
    // The line that Write puts into the file.
    static std::string ContentOf(std::string_view text);
};
