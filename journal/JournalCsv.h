#pragma once

#include "JournalEntry.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Every entry of the journal as comma-separated values: one header row, then one row per entry in
// the order given, dates in ISO 8601, UTF-8 without a byte order mark, rows ended by CR LF. A field
// holding a comma, a double quote or a line end is quoted, its quotes doubled.
class JournalCsv {
public:
    static std::string Text(const std::vector<JournalEntry>& entries);
    // Replaces the file with the text atomically; the reason when it fails.
    static std::optional<std::string> Write(const std::filesystem::path& file,
                                            std::string_view text);

    static constexpr const char* Header =
        "started,seconds,rhythm,source,source name,tempo at start,tempo at end,highest tempo,"
        "pause cycle,accelerando";
};
