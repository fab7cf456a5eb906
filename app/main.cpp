// Pulsara: the main window with the real platform services.
#include "AlsaMixerDevice.h"
#include "CommandLine.h"
#include "FormMain.h"
#include "PortAudioSoundOutput.h"
#include "QtDialogs.h"
#include "QtSettingsStore.h"
#include "SteadyTickSource.h"
#include "TempoMemoryState.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>

int main(int argc, char** argv) {
    if (const auto answered = CommandLine::Answer(argc, argv)) {
        return *answered;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pulsara"));
    QApplication::setApplicationName(QStringLiteral("Pulsara"));

    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    if (!sound.IsOpen()) {
        std::fprintf(stderr, "pulsara: no audio output could be opened; playing silently\n");
    }
    QtSettingsStore settings;
    AlsaMixerDevice mixer("default");
    QtDialogs dialogs;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempoMemoryState values;

    FormMain window(services, values);

    // The system, the terminal and the end of the session close the window as the close box does.
    TerminationSignals endRequests([&window](int) { window.RequestClose(FormMain::BySystem); });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) {
                         if (window.Clock) {
                             window.Clock->StoreProgress();
                         }
                         window.RequestClose(FormMain::BySessionEnd);
                     });

    window.show();
    // Without a window manager nobody else would make the window active, and the loop starts with
    // its activation.
    window.activateWindow();
    return QApplication::exec();
}
