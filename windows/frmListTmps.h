#pragma once

#include "TempoList.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

// The tempo list calculator, a window of its own: its labels and boxes spell the formula of the
// practice plan, and Show lists the plan. It keeps nothing between clicks and shares nothing with
// the rest of the program. Numbers in the boxes are read in the window's number format, which is
// the user's unless set otherwise.
class frmListTmps final : public QWidget {
public:
    explicit frmListTmps(QWidget* parent = nullptr);

    void cmShow_Click();

    // What the boxes say now.
    TempoList::Input Input() const;

    // The text's number in the locale's format; text that is not a finite number reads as 0.
    static double ReadNumber(const QString& text, const QLocale& locale);
    // The same rounded to a 32-bit integer, halves to the even neighbour.
    static int32_t ReadInteger(const QString& text, const QLocale& locale);

    QLineEdit txT{this};
    QPushButton cmShow{QStringLiteral("Show"), this};
    QLineEdit txStep{this};
    QCheckBox chInt{QStringLiteral("Int"), this};
    QCheckBox chSum{QStringLiteral("Sum"), this};
    QLineEdit txCoof1{this};
    QLineEdit txCoof2{this};
    QLineEdit txPlus{this};
    QPlainTextEdit tx{this};

private:
    QLabel startLabel{QStringLiteral("Start Tempo :"), this};
    QLabel stepLabel{QStringLiteral("i = i +"), this};
    QLabel tempoLabel{QStringLiteral("Tempo = StartTempo + i"), this};
    QLabel timesLabel{QStringLiteral("Times = (i* "), this};
    QLabel powerLabel{QStringLiteral(")^ "), this};
    QLabel plusLabel{QStringLiteral("+"), this};
};
