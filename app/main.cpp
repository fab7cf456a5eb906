// Pulsara: the main window with the real platform services.
#include "AlsaMixerDevice.h"
#include "BackgroundSettingsStore.h"
#include "CClock.h"
#include "CommandLine.h"
#include "FileContent.h"
#include "FormMain.h"
#include "FrameClock.h"
#include "JournalStore.h"
#include "MetronomePicture.h"
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
#include <QMetaObject>
#include <QSessionManager>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
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
    // Also the message boxes shown before the window carry the program's icon.
    QApplication::setWindowIcon(ProgramIcon());

    QtDialogs dialogs;
    UserNotices notices(dialogs);
    // The sound stream's frames are the beat's clock; without a stream the steady clock is.
    FrameClock ticks;
    SampleBank samples = SampleBank::Load(DataFolder());
    notices.Say(SampleBank::Describe(samples.Problems()));
    // The session tells a loss of the sound once it exists; the report comes on the stream's
    // thread and is handed to the window's.
    PracticeSession* told = nullptr;
    StreamOutput sound(ticks, &StreamOutput::OpenDefaultSink, std::move(samples),
                       [&told, &application](bool lost) {
                           QMetaObject::invokeMethod(
                               &application,
                               [&told, lost] {
                                   if (told != nullptr) {
                                       told->SoundLost(lost);
                                   }
                               },
                               Qt::QueuedConnection);
                       });
    if (!sound.IsOpen()) {
        notices.Say("No audio output could be opened: " + sound.Problem() +
                    ". Pulsara plays silently.");
    }
    // The file is written on a thread of its own, so that the beat never waits for the disk.
    QtSettingsStore settingsFile;
    const std::string settingsPath = settingsFile.FilePath();
    if (const std::optional<std::string>& aside = settingsFile.KeptAside()) {
        notices.Say("The settings file \"" + settingsPath +
                    "\" could not be read. It is kept as \"" + *aside +
                    "\", and Pulsara starts without practice time, rhythm slots or mixer presets.");
    }
    // A practice time that cannot be read is replaced at the clock's first checkpoint.
    if (settingsFile.Holds(CClock::Section, CClock::Key) &&
        !CClock::ParseTotal(settingsFile.Read(CClock::Section, CClock::Key, ""))) {
        const std::optional<std::string> copy = settingsFile.KeepCopy("unreadable");
        notices.Say("The practice time stored in \"" + settingsPath + "\" could not be read" +
                    (copy ? ". The file as it was is kept as \"" + *copy + "\"" : std::string()) +
                    "; the practice time counts from zero.");
    }
    const std::vector<std::filesystem::path> keepFolders =
        NotebookDraft::Folders(std::filesystem::path(settingsPath).parent_path());
    NotebookRecovery::TakeOverDrafts(keepFolders,
                                     FileContent(NotebookFolder::Where() / NotebookFile::FileName));
    notices.Say(NotebookRecovery::Notice(keepFolders));
    // Said once, as soon as it is known: at once when the file cannot be written at all, else at
    // the first write that fails (the disk is full).
    std::atomic<bool> writeFailureSaid = false;
    auto sayWriteFailure = [&notices, &writeFailureSaid, settingsPath] {
        if (!writeFailureSaid.exchange(true)) {
            notices.Say("The settings file \"" + settingsPath +
                        "\" cannot be written: the practice time, rhythm slots and mixer presets "
                        "stored from now on will be lost when Pulsara ends.");
        }
    };
    if (!settingsFile.CanWrite()) {
        sayWriteFailure();
    }
    BackgroundSettingsStore settings(settingsFile, settingsFile.Entries(), sayWriteFailure);
    // The journal, like the settings, is written on a thread of its own.
    const std::filesystem::path journalFile =
        NotebookFolder::UserDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")) /
        "journal.sqlite";
    JournalStore::Opened journal =
        JournalStore::Open(journalFile, [&notices, journalFile](const std::string& reason) {
            notices.Say("The practice journal \"" + journalFile.string() +
                        "\" cannot be written (" + reason +
                        "): practice from now on is not kept in it.");
        });
    notices.Say(journal.Notice);
    AlsaMixerDevice mixer("default");
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempoMemoryState values;

    FormMain window(services, values);
    PracticeSession& session = *window.Session;
    told = &session;
    if (journal.Store) {
        window.Journal->UseStore(*journal.Store);
    }
    notices.ShowWhen([&session] { return !session.Metron || !session.Metron->Enable(); });

    // The system, the terminal and the end of the session close the window as the close box does.
    // Nobody answers a message box from then on, and one would keep the process alive.
    TerminationSignals endRequests([&session, &notices](int) {
        notices.End();
        session.RequestClose(BySystem);
    });
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&session, &settings, &notices](QSessionManager&) {
                         if (session.Clock) {
                             session.Clock->StoreProgress();
                         }
                         // The session may end the process before the writer's next turn.
                         settings.Flush();
                         notices.End();
                         session.RequestClose(BySessionEnd);
                     });
    QObject::connect(&application, &QGuiApplication::lastWindowClosed, &notices,
                     [&notices] { notices.End(); });

    window.show();
    // Without a window manager nobody else would make the window active and give it the keys.
    window.activateWindow();
    const int result = QApplication::exec();
    notices.End();
    settings.Flush();
    if (settings.WriteFailed()) {
        std::fprintf(stderr,
                     "pulsara: the settings file \"%s\" could not be written: the practice time "
                     "of this run and what was stored during it are lost\n",
                     settingsPath.c_str());
    }
    return result;
}
