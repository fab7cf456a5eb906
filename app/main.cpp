// Pulsara: the main window with the real platform services.
#include "AlsaMixerDevice.h"
#include "BackgroundSettingsStore.h"
#include "CommandLine.h"
#include "FormMain.h"
#include "FrameClock.h"
#include "NotebookDraft.h"
#include "NotebookFile.h"
#include "NotebookFolder.h"
#include "NotebookRecovery.h"
#include "ProgramFolder.h"
#include "QtDialogs.h"
#include "QtSettingsStore.h"
#include "SampleBank.h"
#include "StreamOutput.h"
#include "TempoMemoryState.h"
#include "TerminationSignals.h"
#include "UserNotices.h"

#include <QApplication>
#include <QSessionManager>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

int main(int argc, char** argv) {
    if (const auto answered = CommandLine::Answer(argc, argv)) {
        return *answered;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pulsara"));
    QApplication::setApplicationName(QStringLiteral("Pulsara"));

    QtDialogs dialogs;
    UserNotices notices(dialogs);
    // The sound stream's frames are the beat's clock; without a stream the steady clock is.
    FrameClock ticks;
    SampleBank samples = SampleBank::Load(DataFolder());
    notices.Say(SampleBank::Describe(samples.Problems()));
    StreamOutput sound(ticks, &StreamOutput::OpenDefaultSink, std::move(samples));
    if (!sound.IsOpen()) {
        notices.Say("No audio output could be opened: " + sound.Problem() +
                    ". Pulsara plays silently.");
    }
    // The file is written on a thread of its own, so that the beat never waits for the disk.
    QtSettingsStore settingsFile;
    const std::string settingsPath = settingsFile.FilePath();
    const std::vector<std::filesystem::path> keepFolders =
        NotebookDraft::Folders(std::filesystem::path(settingsPath).parent_path());
    NotebookRecovery::TakeOverDrafts(
        keepFolders, NotebookFile::Content(NotebookFolder::Where() / NotebookFile::FileName));
    notices.Say(NotebookRecovery::Notice(keepFolders));
    BackgroundSettingsStore settings(
        settingsFile, settingsFile.Entries(), [&notices, settingsPath] {
            notices.Say("The settings file \"" + settingsPath +
                        "\" cannot be written: the practice time, rhythm slots and mixer presets "
                        "stored from now on will be lost when Pulsara ends.");
        });
    AlsaMixerDevice mixer("default");
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempoMemoryState values;

    FormMain window(services, values);
    notices.ShowWhen([&window] { return !window.Metron || !window.Metron->Enable(); });

    // The system, the terminal and the end of the session close the window as the close box does.
    TerminationSignals endRequests([&window](int) { window.RequestClose(FormMain::BySystem); });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window, &settings](QSessionManager&) {
                         if (window.Clock) {
                             window.Clock->StoreProgress();
                         }
                         // The session may end the process before the writer's next turn.
                         settings.Flush();
                         window.RequestClose(FormMain::BySessionEnd);
                     });

    window.show();
    // Without a window manager nobody else would make the window active and give it the keys.
    window.activateWindow();
    return QApplication::exec();
}
