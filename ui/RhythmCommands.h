#pragma once

#include "CMetronome.h"
#include "CommandFeedback.h"
#include "Dialogs.h"
#include "RhythmSource.h"
#include "SettingsStore.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The keys that change the rhythm: the default rhythm and the last file rhythm (Shift), the presets
// (Z, X, C, V), the nine slots in the settings store (A ... L), saving and opening rhythm files
// (F2, F3) and typing a rhythm (F4).
class RhythmCommands {
public:
    // SavedRhythm and RecalledRhythm are the key state's records; RhythmEntryText is the program's
    // text carried into and out of the rhythm entry dialog, which showRhythmEntry shows modally; it
    // returns true when the player confirmed the text with OK. A store into a slot is told through
    // feedback, where one is given, and can be undone there.
    RhythmCommands(CMetronome& Metron, SettingsStore& settings, Dialogs& dialogs,
                   std::string& SavedRhythm, std::string& RecalledRhythm,
                   std::string& RhythmEntryText, std::function<bool()> showRhythmEntry,
                   CommandFeedback* feedback = nullptr);

    void ShiftKey(bool DoubleKey);
    // Z (90), X (88), C (67), V (86).
    void PresetKey(int32_t KeyCode, bool DoubleKey);
    // A (65), S (83), D (68), F (70), G (71), H (72), J (74), K (75), L (76).
    void SlotKey(int32_t KeyCode, bool DoubleKey);
    void SaveRhythmFile(); // F2
    void OpenRhythmFile(); // F3
    // F4. A text that fails the check is reported ("Error Syntax" and what is wrong) and the
    // dialog comes back with it, so that the player can mend it, until a text is accepted or the
    // dialog is closed without OK.
    void EnterRhythm();
    // Where the rhythm in effect came from, for the practice journal.
    const RhythmSource& Source() const { return source; }

    static constexpr const char* DefaultRhythm = "4 xxxx (xxxx xxxx xxxx xxxx)0";
    static constexpr const char* Filter = "Rhithm files|*.rtm";
    static constexpr const char* DefaultExt = ".rtm";
    static constexpr const char* Section = "Rhithm";
    static constexpr const char* FailureTitle = "Pulsara - Rhithm file";

private:
    void SetRhythm(std::string_view text, RhythmSource from);
    // The rhythm dialogs show the standard titles and start at the rhythm file chosen last.
    FileDialogOptions RhythmDialog(std::string defaultExt) const;
    void ReportFileFailure(std::string_view action, const std::string& fileName,
                           const std::string& reason);

    CMetronome& Metron;
    SettingsStore& settings;
    Dialogs& dialogs;
    std::string& SavedRhythm;
    std::string& RecalledRhythm;
    std::string& RhythmEntryText;
    std::function<bool()> showRhythmEntry;
    CommandFeedback* feedback;
    std::string lastRhythmFile;
    RhythmSource source;
    std::string lastFileRead;
};
