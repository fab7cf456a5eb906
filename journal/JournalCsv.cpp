#include "JournalCsv.h"

#include "FileReplacement.h"

namespace {

std::string Field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string YesNo(bool value) {
    return value ? "yes" : "no";
}

std::string Row(const JournalEntry& e) {
    return Field(e.Started) + "," + std::to_string(e.Seconds) + "," + Field(e.Rhythm) + "," +
           Field(e.Source.Kind) + "," + Field(e.Source.Name) + "," + std::to_string(e.TempoStart) +
           "," + std::to_string(e.TempoEnd) + "," + std::to_string(e.TempoMax) + "," +
           YesNo(e.PauseCycle) + "," + YesNo(e.Accelerando) + "\r\n";
}

} // namespace

std::string JournalCsv::Text(const std::vector<JournalEntry>& entries) {
    std::string text = std::string(Header) + "\r\n";
    for (const JournalEntry& entry : entries) {
        text += Row(entry);
    }
    return text;
}

std::optional<std::string> JournalCsv::Write(const std::filesystem::path& file,
                                             std::string_view text) {
    return FileReplacement::Write(file, text);
}
