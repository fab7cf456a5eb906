#include "frmRhithm.h"

#include "SideWindowLook.h"

#include <limits>

frmRhithm::frmRhithm(std::string& RhythmEntryText, QWidget* parent)
    : QDialog(parent)
    , rhythmEntryText(RhythmEntryText) {
    setWindowTitle(QStringLiteral("Enter Rhithm"));
    setModal(true);
    setFixedSize(571, 95);
    SideWindowLook::PeachBackground(*this);

    txRhithm.setGeometry(16, 8, 537, 40);
    txRhithm.setFont(SideWindowLook::FixedPitch(12));
    // A long rhythm program must come back whole, not cut at the box's usual limit.
    txRhithm.setMaxLength(std::numeric_limits<int>::max());
    cmOK.setGeometry(256, 56, 49, 25);
    connect(&cmOK, &QPushButton::clicked, this, [this] { cmOK_Click(); });

    Form_Load();
}

void frmRhithm::Form_Load() {
    txRhithm.setText(QString::fromStdString(rhythmEntryText));
}

void frmRhithm::cmOK_Click() {
    rhythmEntryText = txRhithm.text().toStdString();
    accept();
}
