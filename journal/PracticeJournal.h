#pragma once

#include "CMetronome.h"
#include "Dialogs.h"
#include "JournalSink.h"
#include "JournalStore.h"
#include "PracticeRecorder.h"
#include "RhythmSource.h"
#include "frmJournal.h"

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// The practice journal as the main window has it: follows the engine into the recorder, hands the
// entries to the store, and opens the journal's window. Without a store (none could be opened) the
// beat is still followed, and the window shows an empty journal.
class PracticeJournal final : private JournalSink {
public:
    PracticeJournal(TickSource& ticks, const CMetronome& metron,
                    std::function<RhythmSource()> rhythmSource, Dialogs& dialogs, QWidget* parent);
    // The stretch running at the end is kept.
    ~PracticeJournal() override;
    PracticeJournal(const PracticeJournal&) = delete;
    PracticeJournal& operator=(const PracticeJournal&) = delete;

    // Where the entries go from now on; it must outlive this object.
    void UseStore(JournalStore& store);
    // The engine was switched, or its tempo changed: whatever of it the journal notes.
    void EngineChanged();
    // Opens the window, or brings the open one to the front with what the journal holds now.
    void Show();
    frmJournal* Window() const { return window.get(); }

private:
    void Keep(const JournalEntry& entry) override;

    const CMetronome& metron;
    std::function<RhythmSource()> rhythmSource;
    Dialogs& dialogs;
    QWidget* parent;
    JournalStore* store = nullptr;
    PracticeRecorder recorder;
    QTimer poll;
    std::unique_ptr<frmJournal> window;
};
