#include "PracticeJournal.h"

#include "LocalDateTime.h"

#include <utility>

PracticeJournal::PracticeJournal(TickSource& ticks, const CMetronome& metron,
                                 std::function<RhythmSource()> rhythmSource, Dialogs& dialogs,
                                 QWidget* parent)
    : metron(metron)
    , rhythmSource(std::move(rhythmSource))
    , dialogs(dialogs)
    , parent(parent)
    , recorder(ticks, *this) {
    poll.setInterval(PracticeRecorder::PollEvery);
    QObject::connect(&poll, &QTimer::timeout, [this] {
        EngineChanged();
        recorder.Poll();
    });
}

PracticeJournal::~PracticeJournal() {
    recorder.ProgramEnded();
}

void PracticeJournal::UseStore(JournalStore& journal) {
    store = &journal;
}

void PracticeJournal::Keep(const JournalEntry& entry) {
    // Without a store this run's practice is not kept; the player was told when it was opened.
    if (store != nullptr) {
        store->Keep(entry);
    }
}

void PracticeJournal::EngineChanged() {
    if (metron.Enable() && !recorder.Running()) {
        recorder.BeatStarted(metron.Track().Rhithm(), rhythmSource(), metron.BPM());
        poll.start();
    } else if (!metron.Enable() && recorder.Running()) {
        recorder.BeatStopped();
        poll.stop();
    }
    recorder.TempoHeard(metron.BPM());
    // The cycle and the accelerando are looked at here and at every poll: either may be switched
    // on while the beat runs.
    if (metron.Pause()) {
        recorder.PauseCycleRan();
    }
    if (metron.Accelerando()) {
        recorder.AccelerandoRan();
    }
}

void PracticeJournal::Show() {
    if (window && !window->isHidden()) {
        window->Reload();
        window->raise();
        window->activateWindow();
        return;
    }
    window = std::make_unique<frmJournal>(
        store, dialogs, [] { return LocalDateTime::Now().Date; }, parent);
    // A window of its own beside the main window, not drawn inside it.
    window->setWindowFlag(Qt::Window);
    window->show();
}
