#pragma once

#include <QSpinBox>

// A number field for a tempo in which a number beyond either end of its range may be typed: it
// stands for that end once the field is read, instead of losing the keystroke that went too far
// (a field that refused it would turn a typed 400 into 40).
class TempoField final : public QSpinBox {
public:
    explicit TempoField(QWidget* parent = nullptr);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
