#include "TempoField.h"

#include <algorithm>

TempoField::TempoField(QWidget* parent)
    : QSpinBox(parent) {}

QValidator::State TempoField::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid) {
        return state;
    }
    // Digits only, no more of them than the largest number has.
    bool digits = false;
    const int number = input.toInt(&digits);
    const bool fits = input.size() <= QString::number(maximum()).size();
    return digits && number >= 0 && fits ? QValidator::Intermediate : QValidator::Invalid;
}

void TempoField::fixup(QString& input) const {
    bool digits = false;
    const int number = input.toInt(&digits);
    if (digits) {
        input = QString::number(std::clamp(number, minimum(), maximum()));
    }
}
