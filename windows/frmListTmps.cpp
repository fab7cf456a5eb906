#include "frmListTmps.h"

#include "Rounding.h"
#include "SideWindowLook.h"

#include <cmath>

namespace {

void Place(QWidget& control, int x, int y, int width, int height) {
    control.setGeometry(x, y, width, height);
}

} // namespace

frmListTmps::frmListTmps(QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("List of Tempos"));
    setFixedSize(305, 417);
    SideWindowLook::PeachBackground(*this);
    // The boxes and the first label are laid out to the pixel; the window's usual face is too
    // wide for them.
    setFont(SideWindowLook::SmallSans());

    const QFont formula = SideWindowLook::FixedPitch(12);
    for (QLabel* label : {&stepLabel, &tempoLabel, &timesLabel, &powerLabel, &plusLabel}) {
        label->setFont(formula);
    }
    tx.setFont(formula);

    Place(startLabel, 8, 8, 65, 17);
    Place(txT, 80, 5, 41, 19);
    Place(cmShow, 216, 8, 73, 25);
    Place(stepLabel, 16, 40, 73, 17);
    Place(txStep, 96, 40, 25, 19);
    Place(chInt, 256, 40, 49, 17);
    Place(chSum, 256, 64, 49, 17);
    Place(tempoLabel, 16, 72, 225, 17);
    Place(timesLabel, 16, 104, 113, 17);
    Place(txCoof1, 132, 103, 33, 19);
    Place(powerLabel, 168, 104, 25, 17);
    Place(txCoof2, 192, 103, 33, 19);
    Place(plusLabel, 232, 104, 17, 17);
    Place(txPlus, 248, 103, 25, 19);
    Place(tx, 8, 136, 289, 273);

    txT.setText(QStringLiteral("100"));
    txStep.setText(QStringLiteral("2"));
    // The coefficient a tenth, written as the user writes decimals, so that it reads back as one.
    txCoof1.setText(locale().toString(0.1));
    txCoof2.setText(QStringLiteral("2"));
    txPlus.setText(QStringLiteral("1"));
    chInt.setChecked(true);
    chSum.setChecked(false);
    tx.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tx.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    connect(&cmShow, &QPushButton::clicked, this, [this] { cmShow_Click(); });
}

double frmListTmps::ReadNumber(const QString& text, const QLocale& locale) {
    bool ok = false;
    const double number = locale.toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(number) ? number : 0;
}

int32_t frmListTmps::ReadInteger(const QString& text, const QLocale& locale) {
    return RoundToInt32(ReadNumber(text, locale));
}

TempoList::Input frmListTmps::Input() const {
    const QLocale numbers = locale();
    TempoList::Input input;
    input.StartTempo = ReadInteger(txT.text(), numbers);
    input.Step = ReadInteger(txStep.text(), numbers);
    input.Coof1 = ReadNumber(txCoof1.text(), numbers);
    input.Coof2 = ReadNumber(txCoof2.text(), numbers);
    input.Plus = ReadInteger(txPlus.text(), numbers);
    input.Int = chInt.isChecked();
    input.Sum = chSum.isChecked();
    input.decimalSeparator = numbers.decimalPoint().toStdString();
    return input;
}

void frmListTmps::cmShow_Click() {
    QString list = QString::fromStdString(TempoList::Lines(Input()));
    // The box keeps its lines apart by "\n" alone.
    list.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    tx.setPlainText(list);
}
