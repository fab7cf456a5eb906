#include "WaveExportCommand.h"

#include <utility>

namespace {

// Clears the busy mark and hides the notice however the export ends, so that the window never stays
// locked.
class BusyMark {
public:
    BusyMark(bool& busy, std::function<void(bool)>& showNotice)
        : busy(busy)
        , showNotice(showNotice) {
        showNotice(true);
        busy = true;
    }
    ~BusyMark() {
        showNotice(false);
        busy = false;
    }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    bool& busy;
    std::function<void(bool)>& showNotice;
};

} // namespace

WaveExportCommand::WaveExportCommand(CMetronome& Metron, Dialogs& dialogs, bool& ExportBusy,
                                     std::function<void(bool)> showNotice)
    : Metron(Metron)
    , dialogs(dialogs)
    , ExportBusy(ExportBusy)
    , showNotice(std::move(showNotice)) {}

void WaveExportCommand::Run() {
    Metron.Enable(false);
    const std::string fileName = dialogs.SaveFile({Filter, DefaultExt, Title, ""});
    if (fileName.empty()) {
        return;
    }
    // The old file is not deleted first: the renderer replaces it only with a complete new one.
    const WaveOutcome outcome = [&] {
        BusyMark busy(ExportBusy, showNotice);
        return Metron.ExportWave(fileName);
    }();
    // An export stopped because the program is asked to end says nothing: nobody is left to read
    // it.
    if (outcome.Error() == WaveError::Cancelled) {
        return;
    }
    if (!outcome.Message().empty()) {
        dialogs.MessageBox(outcome.Message(), FailureTitle,
                           outcome.Ok() ? MessageIcon::Exclamation : MessageIcon::Error);
    }
}
