#pragma once

#include "CMetronome.h"
#include "Dialogs.h"

#include <functional>

// F11: exports one pass of the rhythm in effect, at the tempo in effect, to a chosen WAV file.
// While the export runs the engine is busy with it (keys and closing are refused) and the window
// shows its waiting notice, which ends with the command on every path. A failed export is reported
// with the file and the reason; the chosen path then still holds what it held before.
class WaveExportCommand {
public:
    // showNotice(true) shows lbWave and an empty lbProgress; showNotice(false) hides both.
    WaveExportCommand(CMetronome& Metron, Dialogs& dialogs, std::function<void(bool)> showNotice);

    void Run();

    static constexpr const char* Filter = "Wave files|*.wav";
    static constexpr const char* DefaultExt = ".wav";
    static constexpr const char* Title = "Export to Wave";
    static constexpr const char* FailureTitle = "Pulsara - Export to Wave";

private:
    CMetronome& Metron;
    Dialogs& dialogs;
    std::function<void(bool)> showNotice;
};
