#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The ".rtm" rhythm file: a text file whose first field is the rhythm text. It is written as one
// line, the text in double quotes followed by CR LF. A double quote inside the text is written
// doubled ("") and read back as one, so a text without quotes keeps the plain layout and any text
// survives the round trip. Older files are 8-bit text in Windows-1252; inside the program text is
// UTF-8, and the file is written in UTF-8 so that every character comes back as it was.
class RhythmFile {
public:
    struct Error {
        std::string reason;
    };

    // The first field of the content. Blanks and tabs before it are skipped. A field that starts
    // with a double quote runs to the next lone double quote (commas and line ends inside are
    // text; "" is one quote); without its closing quote there is no field. A field without quotes
    // ends at the first comma or line end and loses its trailing blanks and tabs; an empty one
    // is no field. Everything after the first field is ignored.
    static std::optional<std::string> FirstField(std::string_view content);

    // The line the save command writes: the text in double quotes, then CR LF.
    static std::string FormatLine(std::string_view text);

    // The first field of the file, as UTF-8: a field that is not well-formed UTF-8 is read as
    // Windows-1252, and a leading byte order mark is skipped. A file that is missing or
    // unreadable, not an ordinary file (a folder, a named pipe, a device), empty, binary (it holds
    // a NUL byte) or without a field gives no text; error, if given, then receives the reason.
    // Only the first MaxReadBytes are looked at.
    static std::optional<std::string> Read(const std::string& fileName, Error* error = nullptr);

    // Replaces the file with the text's line, atomically: the line goes to a temporary file in
    // the same folder, is flushed to the disk and renamed over the target, so a failure never
    // leaves a half-written rhythm file. Gives the reason when it fails.
    [[nodiscard]] static std::optional<Error> Write(const std::string& fileName,
                                                    std::string_view text);

    static constexpr std::size_t MaxReadBytes = std::size_t{1} << 20;
};
