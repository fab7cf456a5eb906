#include "WaveExportCommand.h"

#include <utility>

namespace {

// Hides the notice however the export ends, so that the window never stays covered.
class ExportNotice {
public:
    explicit ExportNotice(std::function<void(bool)>& showNotice)
        : showNotice(showNotice) {
        showNotice(true);
    }
    ~ExportNotice() { showNotice(false); }
    ExportNotice(const ExportNotice&) = delete;
    ExportNotice& operator=(const ExportNotice&) = delete;

private:
    std::function<void(bool)>& showNotice;
};

} // namespace

WaveExportCommand::WaveExportCommand(CMetronome& Metron, Dialogs& dialogs,
                                     std::function<void(bool)> showNotice)
    : Metron(Metron)
    , dialogs(dialogs)
    , showNotice(std::move(showNotice)) {}

void WaveExportCommand::Run() {
    Metron.Enable(false);
    const std::string fileName = dialogs.SaveFile({Filter, DefaultExt, Title, ""});
    if (fileName.empty()) {
        return;
    }
    // The old file is not deleted first: the renderer replaces it only with a complete new one.
    const WaveOutcome outcome = [&] {
        const ExportNotice notice(showNotice);
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
