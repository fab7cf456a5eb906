// Pulsara: the main window with the real platform services.
#include "AlsaMixerDevice.h"
#include "CommandLine.h"
#include "FormMain.h"
#include "FrameClock.h"
#include "ProgramFolder.h"
#include "QtDialogs.h"
#include "QtSettingsStore.h"
#include "StreamOutput.h"
#include "TempoMemoryState.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (const auto answered = CommandLine::Answer(argc, argv)) {
        return *answered;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Pulsara"));
    QApplication::setApplicationName(QStringLiteral("Pulsara"));

    // The sound stream's frames are the beat's clock; without a stream the steady clock is.
    FrameClock ticks;
    StreamOutput sound(ticks, &StreamOutput::OpenDefaultSink, SampleBank::Load(DataFolder()));
    if (!sound.IsOpen()) {
        std::fprintf(stderr, "pulsara: %s; playing silently\n", sound.Problem().c_str());
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
