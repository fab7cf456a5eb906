#pragma once

#include "TempoField.h"

#include <QDialog>
#include <QPushButton>
#include <cstdint>

// The modal window in which the player types a tempo, for example one read off a score. OK writes
// the number back, brought into the engine's tempo range; closing the window any other way
// leaves the tempo as it was.
class frmTempo final : public QDialog {
public:
    // Tempo carries the tempo in and, through OK, out; it must outlive the window.
    explicit frmTempo(int32_t& Tempo, QWidget* parent = nullptr);

    void cmOK_Click();

    static constexpr int32_t MinTempo = 15;
    static constexpr int32_t MaxTempo = 320;

    TempoField txBPM{this};
    QPushButton cmOK{QStringLiteral("OK"), this};
    QPushButton cmCancel{QStringLiteral("Cancel"), this};

private:
    int32_t& tempo;
};
