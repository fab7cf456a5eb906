#pragma once

#include "TempoField.h"

#include <QDialog>
#include <QPushButton>
#include <cstdint>

// The modal window in which the player types a tempo, for example one read off a score. OK writes
// the number back, brought into the given range; closing the window any other way leaves the
// tempo as it was.
class frmTempo final : public QDialog {
public:
    // Tempo carries the tempo in and, through OK, out; it must outlive the window.
    frmTempo(int32_t& Tempo, int32_t minimum, int32_t maximum, QWidget* parent = nullptr);

    void cmOK_Click();

    TempoField txBPM{this};
    QPushButton cmOK{QStringLiteral("OK"), this};
    QPushButton cmCancel{QStringLiteral("Cancel"), this};

private:
    int32_t& tempo;
};
