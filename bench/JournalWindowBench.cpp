// Opening the practice journal's window on ten years of daily practice (40,000 entries): from the
// window's creation until it has drawn itself filled with what the journal answered, which must
// stay under 300 ms; and what the recorder costs the beat per call.
// Run: build/bin/pulsara_bench_journal [screenshot.png]
#include "JournalStore.h"
#include "PracticeRecorder.h"
#include "frmJournal.h"

#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;
constexpr int Entries = 40000;

class NoDialogs final : public Dialogs {
public:
    void MessageBox(std::string_view, std::string_view, MessageIcon) override {}
    std::string OpenFile(const FileDialogOptions&) override { return {}; }
    std::string SaveFile(const FileDialogOptions&) override { return {}; }
};

class CountingTicks final : public TickSource {
public:
    int64_t Frames() override { return now += 44; }
    int64_t SteadyMs() override { return now / 44; }
    int64_t now = 0;
};

const char* const Rhythms[] = {"4 xxxx (xxxx xxxx xxxx xxxx)0  ", "8 /Scales/x'x'x'x'  ",
                               "12 /Arpeggios/x''x''x''x''  ", "16 x'''x'''x'''x'''  ",
                               "8 /Etude 3, bars 1-16/x.^x x'x'  "};

// About eleven stretches a day for ten years up to today, the tempo of each rhythm growing.
void Fill(const std::filesystem::path& file, year_month_day today) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO entries (started, seconds, rhythm, source, source_name, "
                       "tempo_start, tempo_end, tempo_max, pause_cycle, accelerando) VALUES "
                       "(?, ?, ?, 'preset', 'Z', ?, ?, ?, ?, ?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < Entries; ++i) {
        const sys_days day = sys_days{today} - days{(Entries - 1 - i) / 11};
        const LocalDateTime started{year_month_day{day}, 8 + i % 11, (i * 7) % 60, 0};
        const std::string text = started.Iso();
        const int tempo = 60 + (i / 400) % 150;
        sqlite3_bind_text(insert, 1, text.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 2, 60 + (i * 37) % 900);
        sqlite3_bind_text(insert, 3, Rhythms[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 4, tempo);
        sqlite3_bind_int(insert, 5, tempo + i % 7);
        sqlite3_bind_int(insert, 6, tempo + i % 11);
        sqlite3_bind_int(insert, 7, i % 3 == 0);
        sqlite3_bind_int(insert, 8, i % 5 == 0);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

double OpenWindow(JournalStore& store, NoDialogs& dialogs, year_month_day today,
                  const char* screenshot) {
    const auto start = steady_clock::now();
    frmJournal window(&store, dialogs, [today] { return today; });
    window.show();
    while (!window.Filled()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    // The chart lays itself out on a posted event; the picture is taken after it.
    QCoreApplication::processEvents();
    const QPixmap drawn = window.grab();
    const double ms = duration<double, std::milli>(steady_clock::now() - start).count();
    if (screenshot != nullptr) {
        drawn.save(QString::fromUtf8(screenshot));
    }
    return ms;
}

void RecorderCost() {
    CountingTicks ticks;
    class Drop final : public JournalSink {
        void Keep(const JournalEntry&) override {}
    } sink;
    PracticeRecorder recorder(ticks, sink);
    recorder.BeatStarted(Rhythms[0], RhythmSource::Default(), 120);
    constexpr int Calls = 10'000'000;
    const auto start = steady_clock::now();
    for (int i = 0; i < Calls; ++i) {
        recorder.TempoHeard(120 + i % 7);
        recorder.Poll();
    }
    const double ns = duration<double, std::nano>(steady_clock::now() - start).count() / Calls;
    std::printf("recorder: %.1f ns for a tempo heard and a poll (the beat's side)\n", ns);
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    std::string folder = (std::filesystem::temp_directory_path() / "pulsara-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        return 1;
    }
    const std::filesystem::path file = std::filesystem::path(folder) / "journal.sqlite";
    const year_month_day today = LocalDateTime::Now().Date;
    JournalStore::Open(file); // makes the schema
    Fill(file, today);
    NoDialogs dialogs;
    JournalStore::Opened opened = JournalStore::Open(file);
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        times.push_back(
            OpenWindow(*opened.Store, dialogs, today, run == 0 && argc > 1 ? argv[1] : nullptr));
    }
    std::printf("window on %d entries, ms:", Entries);
    for (const double ms : times) {
        std::printf(" %.1f", ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("\nmedian %.1f ms, slowest %.1f ms (limit 300 ms)\n", times[times.size() / 2],
                times.back());
    RecorderCost();
    opened.Store.reset();
    std::filesystem::remove_all(folder);
    return times.back() < 300.0 ? 0 : 1;
}
