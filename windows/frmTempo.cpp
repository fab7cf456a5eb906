#include "frmTempo.h"

#include "SideWindowLook.h"

frmTempo::frmTempo(int32_t& Tempo, int32_t minimum, int32_t maximum, QWidget* parent)
    : QDialog(parent)
    , tempo(Tempo) {
    setWindowTitle(QStringLiteral("Set tempo"));
    setModal(true);
    setFixedSize(201, 81);
    SideWindowLook::PeachBackground(*this);

    txBPM.setGeometry(48, 8, 105, 33);
    txBPM.setRange(minimum, maximum);
    txBPM.setAlignment(Qt::AlignHCenter);
    QFont digits = txBPM.font();
    digits.setPixelSize(20);
    txBPM.setFont(digits);
    txBPM.setValue(Tempo);
    txBPM.selectAll();
    cmOK.setGeometry(24, 48, 73, 25);
    cmOK.setDefault(true);
    cmCancel.setGeometry(104, 48, 73, 25);
    connect(&cmOK, &QPushButton::clicked, this, [this] { cmOK_Click(); });
    connect(&cmCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmTempo::cmOK_Click() {
    // What is typed counts even while the field still has the focus.
    txBPM.interpretText();
    tempo = txBPM.value();
    accept();
}
