#include "frmJournal.h"

#include "JournalStore.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QHeaderView>
#include <QMetaObject>
#include <QPointer>
#include <QToolTip>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <memory>
#include <utility>

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QString Minutes(int64_t seconds) {
    return QStringLiteral("%1 min").arg((seconds + 30) / 60);
}

QString Duration(int32_t seconds) {
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// A rhythm practised on more days than this is drawn as a line without its points.
constexpr std::size_t MostPoints = 400;

QDateTime Noon(const std::string& date) {
    return {QDate::fromString(Text(date), Qt::ISODate), QTime(12, 0)};
}

// Charts take their series, sets and axes, and tables their items, as children of their own.
template <typename T, typename... Arguments> T* Handed(Arguments&&... arguments) {
    return std::make_unique<T>(std::forward<Arguments>(arguments)...).release();
}

// Every chart starts from a fresh one: a chart handed to a view belongs to it, and the old one
// goes.
QChart& NewChart(QChartView& view, const QString& title) {
    view.setChart(Handed<QChart>());
    QChart& chart = *view.chart();
    chart.setTitle(title);
    chart.legend()->hide();
    chart.setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

// The series over its axes: the x axis given, a y axis of whole numbers from low to high.
void Attach(QChart& chart, QAbstractSeries& series, QAbstractAxis& x, double low, double high) {
    auto* y = Handed<QValueAxis>();
    y->setRange(low, high);
    y->applyNiceNumbers();
    y->setLabelFormat(QStringLiteral("%d"));
    chart.addAxis(&x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);
    series.attachAxis(&x);
    series.attachAxis(y);
}

const QStringList Columns{QStringLiteral("Started"), QStringLiteral("Time"),
                          QStringLiteral("Rhythm"),  QStringLiteral("Source"),
                          QStringLiteral("Tempo"),   QStringLiteral("Highest"),
                          QStringLiteral("Pause"),   QStringLiteral("Accelerando")};

} // namespace

frmJournal::frmJournal(JournalStore* store, Dialogs& dialogs, Today today, QWidget* parent)
    : QDialog(parent)
    , lbHint(QString::fromUtf8(EmptyHint))
    , cmExport(QStringLiteral("Export CSV…"))
    , store(store)
    , dialogs(dialogs)
    , today(std::move(today)) {
    // The journal is read while the window builds itself.
    Reload();
    BuildControls();
}

void frmJournal::BuildControls() {
    setWindowTitle(QString::fromUtf8(Title));
    resize(960, 680);
    grid.addWidget(&lbHint, 0, 0, 1, 2);
    lbHint.hide();
    grid.addWidget(&lbTotals, 1, 0);
    grid.addWidget(&cbRhythm, 1, 1);
    grid.addWidget(&chDays, 2, 0);
    grid.addWidget(&chTempo, 2, 1);
    grid.addWidget(&tbLatest, 3, 0, 1, 2);
    grid.addWidget(&cmExport, 4, 1, Qt::AlignRight);
    grid.setRowStretch(2, 3);
    grid.setRowStretch(3, 2);
    grid.setColumnStretch(0, 3);
    grid.setColumnStretch(1, 2);
    for (QChartView* view : {&chDays, &chTempo}) {
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(260);
    }
    tbLatest.setColumnCount(static_cast<int>(Columns.size()));
    tbLatest.setHorizontalHeaderLabels(Columns);
    tbLatest.setEditTriggers(QAbstractItemView::NoEditTriggers);
    tbLatest.verticalHeader()->hide();
    tbLatest.horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tbLatest.horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    cmExport.setEnabled(store != nullptr);
    cmExport.setAutoDefault(false);
    QObject::connect(&cmExport, &QPushButton::clicked, this, [this] { cmExport_Click(); });
    QObject::connect(&cbRhythm, &QComboBox::currentIndexChanged, this,
                     [this](int index) { cbRhythm_Change(index); });
}

void frmJournal::Reload() {
    filled = false;
    if (store == nullptr) {
        JournalSummary empty;
        empty.CountDays({}, today());
        QMetaObject::invokeMethod(
            this, [this, empty] { Show(empty); }, Qt::QueuedConnection);
        return;
    }
    // The answer comes on the store's thread; the window may be gone by the time it is delivered.
    store->Summarize(today(), [window = QPointer<frmJournal>(this)](JournalSummary summary) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [window, summary = std::move(summary)] {
                if (window) {
                    window->Show(summary);
                }
            },
            Qt::QueuedConnection);
    });
}

void frmJournal::Show(const JournalSummary& summary) {
    shown = summary;
    lbHint.setVisible(summary.EntryCount == 0);
    ShowDays(summary);
    ShowRhythms(summary);
    ShowLatest(summary);
    filled = true;
}

void frmJournal::ShowDays(const JournalSummary& summary) {
    const QString range = summary.Days.empty() ? QString()
                                               : QStringLiteral(", %1 to %2")
                                                     .arg(Text(summary.Days.front().Date),
                                                          Text(summary.Days.back().Date));
    QChart& chart = NewChart(chDays, QStringLiteral("Minutes practised per day") + range);
    auto* minutes = Handed<QBarSet>(QStringLiteral("Minutes"));
    QStringList dates;
    double highest = 0;
    for (const JournalSummary::Day& day : summary.Days) {
        const double value = static_cast<double>(day.Seconds) / 60.0;
        *minutes << value;
        highest = std::max(highest, value);
        dates << Text(day.Date);
    }
    auto* series = Handed<QBarSeries>();
    series->append(minutes);
    chart.addSeries(series);
    auto* x = Handed<QBarCategoryAxis>();
    x->append(dates);
    // Thirty-five dates do not fit under the bars; a bar tells its own when pointed at.
    x->setLabelsVisible(false);
    QObject::connect(minutes, &QBarSet::hovered, &chDays, [dates, minutes](bool over, int index) {
        QToolTip::showText(QCursor::pos(), over ? QStringLiteral("%1: %2 min")
                                                      .arg(dates.value(index))
                                                      .arg(qRound(minutes->at(index)))
                                                : QString());
    });
    Attach(chart, *series, *x, 0, std::max(10.0, highest * 1.1));
    lbTotals.setText(QStringLiteral("This week: %1 · This month: %2")
                         .arg(Minutes(summary.WeekSeconds), Minutes(summary.MonthSeconds)));
}

void frmJournal::ShowRhythms(const JournalSummary& summary) {
    const QSignalBlocker quiet(cbRhythm);
    cbRhythm.clear();
    for (const JournalSummary::Rhythm& rhythm : summary.Rhythms) {
        cbRhythm.addItem(Text(rhythm.Caption.empty() ? rhythm.Text : rhythm.Caption));
    }
    cbRhythm.setEnabled(!summary.Rhythms.empty());
    cbRhythm_Change(summary.Rhythms.empty() ? -1 : 0);
}

void frmJournal::cbRhythm_Change(int index) {
    QChart& chart = NewChart(chTempo, QStringLiteral("Highest tempo per day"));
    auto* series = Handed<QLineSeries>();
    const bool chosen = index >= 0 && static_cast<std::size_t>(index) < shown.Rhythms.size();
    const std::vector<JournalSummary::DayTempo> none;
    const auto& days = chosen ? shown.Rhythms[static_cast<std::size_t>(index)].Highest : none;
    // Points over years of days would merge into a band; there the line alone shows the way.
    series->setPointsVisible(days.size() <= MostPoints);
    double low = 40;
    double high = 160;
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(days.size()));
    for (const JournalSummary::DayTempo& day : days) {
        points.append({static_cast<double>(Noon(day.Date).toMSecsSinceEpoch()),
                       static_cast<double>(day.Tempo)});
        low = std::min(low, day.Tempo - 10.0);
        high = std::max(high, day.Tempo + 10.0);
    }
    // All at once: a point appended alone redraws the series each time.
    series->replace(points);
    chart.addSeries(series);
    auto* x = Handed<QDateTimeAxis>();
    x->setFormat(QStringLiteral("yyyy-MM-dd"));
    x->setLabelsAngle(-90);
    // A day on each side, so that a single day still has an axis of some width.
    const QDateTime now = QDateTime::currentDateTime();
    x->setRange(days.empty() ? now.addDays(-7) : Noon(days.front().Date).addDays(-1),
                days.empty() ? now : Noon(days.back().Date).addDays(1));
    Attach(chart, *series, *x, std::max(0.0, low), high);
}

void frmJournal::ShowLatest(const JournalSummary& summary) {
    tbLatest.setRowCount(static_cast<int>(summary.Latest.size()));
    int row = 0;
    for (const JournalEntry& entry : summary.Latest) {
        const QStringList cells{Text(entry.Started).replace(QLatin1Char('T'), QLatin1Char(' ')),
                                Duration(entry.Seconds),
                                Text(entry.Rhythm),
                                Text(entry.Source.Text()),
                                QStringLiteral("%1 → %2").arg(entry.TempoStart).arg(entry.TempoEnd),
                                QString::number(entry.TempoMax),
                                entry.PauseCycle ? QStringLiteral("yes") : QString(),
                                entry.Accelerando ? QStringLiteral("yes") : QString()};
        for (int column = 0; column < cells.size(); ++column) {
            tbLatest.setItem(row, column, Handed<QTableWidgetItem>(cells[column]));
        }
        ++row;
    }
}

void frmJournal::cmExport_Click() {
    if (store == nullptr) {
        return;
    }
    const std::string file =
        dialogs.SaveFile({"CSV files|*.csv", ".csv", "Export CSV", "practice-journal.csv"});
    if (file.empty()) {
        return;
    }
    store->ExportCsv(
        file, [window = QPointer<frmJournal>(this), name = Text(file)](const std::string& problem) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [window, name, problem] {
                    if (window) {
                        window->ExportDone(name, problem);
                    }
                },
                Qt::QueuedConnection);
        });
}

void frmJournal::ExportDone(const QString& file, const std::string& problem) {
    if (problem.empty()) {
        return;
    }
    dialogs.MessageBox("The journal could not be exported to \"" + file.toStdString() +
                           "\": " + problem + ".",
                       "Pulsara - Practice journal", MessageIcon::Error);
}
