#pragma once

#include "QtSurface.h"
#include "TempoMemoryState.h"

#include <QDialog>
#include <QPushButton>
#include <QSlider>

// The modal tempo growth dialog: the slider bends the ramp from slot 0 to the current slot of the
// tempo memory into a curve whose shape the window draws as a row of dots; OK fills the slots in
// between along it. Closing the window any other way changes nothing.
class FormT final : public QDialog {
public:
    // The memory must outlive the window.
    explicit FormT(TempoMemoryState& memory, QWidget* parent = nullptr);

    void Form_Activate();
    void sl_Scroll();
    void Command1_Click();

    // Every way of closing ends here: OK closes from code, the close box and Escape as the user.
    void done(int result) override;

    // Where the curve is drawn: the upper part of the window.
    const QtSurface& DrawingArea() const { return drawingArea; }

    // The exponent is a tenth of the position: 10 is the straight ramp.
    static constexpr int SliderMinimum = 0;
    static constexpr int SliderMaximum = 40;
    static constexpr int SliderStart = 10;

    QSlider sl{Qt::Horizontal, this};
    QPushButton Command1{QStringLiteral("OK"), this};

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum class UnloadMode { FromCode, ByUser };

    void Form_QueryUnload(UnloadMode mode);
    void DrawCurve();

    TempoMemoryState& memory;
    QtSurface drawingArea{palette().color(QPalette::Window), this};
};
