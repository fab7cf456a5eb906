#pragma once

#include "Dialogs.h"
#include "JournalSummary.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QtCharts/QChartView>
#include <chrono>
#include <functional>

class JournalStore;

// The "Practice journal" window: minutes practised per day over the last five weeks with the
// totals of this week and this month, the highest tempo per day of one rhythm chosen from those
// practised, the newest entries as a table, and an export of every entry as CSV. It reads the
// journal on the store's thread and fills itself when the answer comes; without a store it shows an
// empty journal. Esc closes it.
class frmJournal final : public QDialog {
public:
    using Today = std::function<std::chrono::year_month_day()>;

    // store may be null.
    frmJournal(JournalStore* store, Dialogs& dialogs, Today today, QWidget* parent = nullptr);

    // Reads the journal afresh.
    void Reload();
    // Fills the window; Reload calls it when the journal's answer comes.
    void Show(const JournalSummary& summary);
    // Whether the window holds what the journal answered to its last reading.
    bool Filled() const { return filled; }
    void cmExport_Click();

    static constexpr const char* Title = "Practice journal";
    static constexpr const char* EmptyHint =
        "Nothing practised yet: every stretch of 5 seconds or more with the beat on is noted here.";

    QGridLayout grid{this};
    QLabel lbHint;
    QChartView chDays;
    QLabel lbTotals;
    QComboBox cbRhythm;
    QChartView chTempo;
    QTableWidget tbLatest;
    QPushButton cmExport;

private:
    void BuildControls();
    void ShowDays(const JournalSummary& summary);
    void ShowRhythms(const JournalSummary& summary);
    void ShowLatest(const JournalSummary& summary);
    void cbRhythm_Change(int index);
    void ExportDone(const QString& file, const std::string& problem);

    JournalStore* store;
    Dialogs& dialogs;
    Today today;
    JournalSummary shown;
    bool filled = false;
};
