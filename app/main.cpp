// Pulsara: the main window with the real platform services.
#include "AlsaMixerDevice.h"
#include "BackgroundSettingsStore.h"
#include "FormMain.h"
#include "NotebookRecovery.h"
#include "PortAudioSoundOutput.h"
#include "ProgramFolder.h"
#include "QtDialogs.h"
#include "QtSettingsStore.h"
#include "SampleBank.h"
#include "SteadyTickSource.h"
#include "TempoMemoryState.h"
#include "TerminationSignals.h"
#include "UserNotices.h"

#include <QApplication>
#include <QSessionManager>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pulsara"));
    QApplication::setApplicationName(QStringLiteral("Pulsara"));

    QtDialogs dialogs;
    UserNotices notices(dialogs);
    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    if (!sound.IsOpen()) {
        notices.Say("No audio output could be opened: " + sound.FailureReason() +
                    ". Pulsara plays silently.");
    }
    notices.Say(SampleBank::Describe(SampleBank::Check(ProgramFolder())));
    // The file is written on a thread of its own, so that the beat never waits for the disk.
    QtSettingsStore settingsFile;
    const std::string settingsPath = settingsFile.FilePath();
    notices.Say(NotebookRecovery::Notice(std::filesystem::path(settingsPath).parent_path()));
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
    // Without a window manager nobody else would make the window active, and the loop starts with
    // its activation.
    window.activateWindow();
    return QApplication::exec();
}
