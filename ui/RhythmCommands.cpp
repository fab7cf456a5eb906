#include "RhythmCommands.h"

#include "RhythmFile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <utility>

namespace {

struct Preset {
    int32_t keyCode;
    const char* single;
    const char* repeat;
};

constexpr std::array<Preset, 4> Presets{{
    {90, "8 x'x'x'x'", "8 xx xx xx xx"},
    {88, "12 x''x''x''x''", "12 xxx xxx xxx xxx"},
    {67, "16 x'''x'''x'''x'''", "16 xxxx xxxx xxxx xxxx"},
    {86, "24 x'''''x'''''x'''''x'''''", "24 xxxxxx xxxxxx xxxxxx xxxxxx"},
}};

// A, S, D, F, G, H, J, K, L: the home row.
constexpr std::array<int32_t, 9> SlotKeys{65, 83, 68, 70, 71, 72, 74, 75, 76};

bool IsSlotKey(int32_t KeyCode) {
    return std::find(SlotKeys.begin(), SlotKeys.end(), KeyCode) != SlotKeys.end();
}

std::string SlotName(int32_t KeyCode) {
    return "sav" + std::to_string(KeyCode);
}

// The slot as the player knows it: its key's letter.
std::string SlotLetter(int32_t KeyCode) {
    return std::string(1, static_cast<char>(KeyCode));
}

} // namespace

RhythmCommands::RhythmCommands(CMetronome& Metron, SettingsStore& settings, Dialogs& dialogs,
                               std::string& SavedRhythm, std::string& RecalledRhythm,
                               std::string& RhythmEntryText, std::function<bool()> showRhythmEntry,
                               CommandFeedback* feedback)
    : Metron(Metron)
    , settings(settings)
    , dialogs(dialogs)
    , SavedRhythm(SavedRhythm)
    , RecalledRhythm(RecalledRhythm)
    , RhythmEntryText(RhythmEntryText)
    , showRhythmEntry(std::move(showRhythmEntry))
    , feedback(feedback) {}

void RhythmCommands::SetRhythm(std::string_view text, RhythmSource from) {
    Metron.Track().Rhithm(text);
    if (Metron.Track().LastCheck() == 1) {
        source = std::move(from);
    }
}

void RhythmCommands::ShiftKey(bool DoubleKey) {
    SetRhythm(DefaultRhythm, RhythmSource::Default());
    if (DoubleKey) {
        Metron.Track().LastRhitmFromFile();
        source = lastFileRead.empty() ? source : RhythmSource::File(lastFileRead);
    }
}

void RhythmCommands::PresetKey(int32_t KeyCode, bool DoubleKey) {
    const auto preset = std::find_if(Presets.begin(), Presets.end(),
                                     [KeyCode](const Preset& p) { return p.keyCode == KeyCode; });
    if (preset != Presets.end()) {
        const std::string key(1, static_cast<char>(KeyCode));
        SetRhythm(DoubleKey ? preset->repeat : preset->single,
                  RhythmSource::Preset(DoubleKey ? key + " twice" : key));
    }
}

void RhythmCommands::SlotKey(int32_t KeyCode, bool DoubleKey) {
    if (!IsSlotKey(KeyCode)) {
        return;
    }
    const std::string key = SlotName(KeyCode);
    if (!DoubleKey) {
        SavedRhythm = Metron.Track().Rhithm();
        RecalledRhythm = settings.Read(Section, key, "");
        if (!RecalledRhythm.empty()) {
            SetRhythm(RecalledRhythm,
                      RhythmSource::Slot(std::string(1, static_cast<char>(KeyCode))));
        }
        return;
    }
    // Only a single press fills SavedRhythm; without one there is nothing to store, and an empty
    // write would wipe the slot.
    if (SavedRhythm.empty()) {
        return;
    }
    std::optional<CommandFeedback::Entry> before;
    if (feedback) {
        before = feedback->Before(Section, key);
    }
    settings.Write(Section, key, SavedRhythm);
    SetRhythm(SavedRhythm, RhythmSource::Slot(std::string(1, static_cast<char>(KeyCode))));
    if (feedback) {
        const std::string slot = SlotLetter(KeyCode);
        feedback->Undoable("Stored in slot " + slot, "slot " + slot + " stored", {*before});
    }
}

FileDialogOptions RhythmCommands::RhythmDialog(std::string defaultExt) const {
    return {Filter, std::move(defaultExt), "", lastRhythmFile};
}

void RhythmCommands::ReportFileFailure(std::string_view action, const std::string& fileName,
                                       const std::string& reason) {
    const std::string text =
        "The rhythm could not be " + std::string(action) + " \"" + fileName + "\": " + reason + ".";
    dialogs.MessageBox(text, FailureTitle, MessageIcon::Error);
}

void RhythmCommands::SaveRhythmFile() {
    Metron.Enable(false);
    const std::string fileName = dialogs.SaveFile(RhythmDialog(DefaultExt));
    if (fileName.empty()) {
        return;
    }
    lastRhythmFile = fileName;
    // Written in UTF-8, the program's own encoding: every character of a caption comes back as it
    // was, and a text in plain ASCII keeps the classic byte layout.
    if (const auto error = RhythmFile::Write(fileName, Metron.Track().Rhithm())) {
        ReportFileFailure("saved to", fileName, error->reason);
    }
}

void RhythmCommands::OpenRhythmFile() {
    Metron.Enable(false);
    const std::string fileName = dialogs.OpenFile(RhythmDialog(""));
    if (fileName.empty()) {
        return;
    }
    lastRhythmFile = fileName;
    // The player chose this file, so a text in it that fails the check is reported as well; the
    // rhythm in effect stays.
    RhythmFile::Error error;
    Metron.Track().ReadFromFile(fileName, &error);
    if (!error.reason.empty()) {
        ReportFileFailure("read from", fileName, error.reason);
    } else if (Metron.Track().LastCheck() != 1) {
        dialogs.MessageBox("The file \"" + fileName + "\" holds no valid rhythm.", FailureTitle,
                           MessageIcon::Error);
    } else {
        lastFileRead = std::filesystem::path(fileName).filename().string();
        source = RhythmSource::File(lastFileRead);
    }
}

void RhythmCommands::EnterRhythm() {
    Metron.Enable(false);
    RhythmEntryText = Metron.Track().Rhithm();
    for (bool again = false;; again = true) {
        const bool confirmed = showRhythmEntry && showRhythmEntry();
        // Closed without OK after a rejected text: the rhythm in effect stays as it is.
        if (RhythmEntryText.empty() || (again && !confirmed)) {
            return;
        }
        // The dialog closed without a change leaves the rhythm where it came from.
        SetRhythm(RhythmEntryText,
                  RhythmEntryText == Metron.Track().Rhithm() ? source : RhythmSource::Typed());
        if (Metron.Track().LastCheck() != 0) {
            return;
        }
        dialogs.MessageBox("Error Syntax\n" + Metron.Track().CheckProblem(), "Error",
                           MessageIcon::Exclamation);
    }
}
