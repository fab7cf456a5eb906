#include "FormT.h"

#include "TempoGrowth.h"

#include <QEvent>

FormT::FormT(TempoMemoryState& memory, QWidget* parent)
    : QDialog(parent)
    , memory(memory) {
    setWindowTitle(QStringLiteral("Set Tempo Growth"));
    setModal(true);
    setFixedSize(266, 159);

    drawingArea.setGeometry(0, 0, 266, 120);
    sl.setGeometry(40, 120, 185, 33);
    sl.setRange(SliderMinimum, SliderMaximum);
    sl.setSingleStep(1);
    sl.setPageStep(5);
    sl.setValue(SliderStart);
    Command1.setGeometry(232, 120, 33, 33);

    connect(&sl, &QSlider::valueChanged, this, [this] { sl_Scroll(); });
    connect(&Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void FormT::Form_Activate() {
    DrawCurve();
}

void FormT::sl_Scroll() {
    DrawCurve();
}

void FormT::Command1_Click() {
    accept();
}

void FormT::done(int result) {
    Form_QueryUnload(result == QDialog::Accepted ? UnloadMode::FromCode : UnloadMode::ByUser);
    QDialog::done(result);
}

bool FormT::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        Form_Activate();
    }
    return QDialog::event(event);
}

void FormT::showEvent(QShowEvent* event) {
    // The curve must be there when the window appears, also where the desktop does not make it
    // the active window.
    DrawCurve();
    QDialog::showEvent(event);
}

void FormT::Form_QueryUnload(UnloadMode mode) {
    if (mode == UnloadMode::FromCode) {
        TempoGrowth::FillRamp(memory, sl.value());
    }
}

void FormT::DrawCurve() {
    TempoGrowth::DrawCurve(drawingArea, sl.value());
}
