#include "StatusLabels.h"

#include "Rounding.h"
#include "WindowFonts.h"

#include <algorithm>
#include <cmath>

namespace {

using WindowFonts::Align;
using WindowFonts::FixedPitch;
using WindowFonts::SansSerif;
using WindowFonts::SetForeColour;
using WindowFonts::SetUpLabel;

const QColor DarkBlue(0, 0, 192);
const QColor DarkRed(192, 0, 0);

} // namespace

StatusLabels::StatusLabels(QWidget& window)
    : lbProgress(&window)
    , lbWave(&window)
    , lbPau2(&window)
    , lbPau1(&window)
    , lbAcel(&window)
    , lbPause(&window)
    , lbTime(&window)
    , lbBPM(&window) {
    SetUpLabel(lbProgress, {72, 128, 129, 25}, QString(), SansSerif(12, true), Align::Centre, true);
    lbProgress.hide();
    SetUpLabel(lbWave, {48, 88, 169, 41}, QStringLiteral("Export to Wave Please Wait"),
               SansSerif(12, true), Align::Centre, true);
    lbWave.hide();
    SetUpLabel(lbPau2, {240, 90, 25, 17}, QStringLiteral("sec."), SansSerif(8, false), Align::Left,
               true);
    SetUpLabel(lbPau1, {180, 90, 33, 17}, QStringLiteral("Pause"), SansSerif(8, false), Align::Left,
               true);
    // The accelerando's size follows its rate; a rate of 0 gives 8 points.
    SetUpLabel(lbAcel, {64, 8, 145, 25}, QStringLiteral("Accelerando"), FixedPitch(8, true),
               Align::Centre, false);
    SetForeColour(lbAcel, DarkRed);
    lbAcel.hide();
    SetUpLabel(lbPause, {216, 88, 17, 17}, QStringLiteral("4"), SansSerif(12, false), Align::Left,
               true);
    lbPause.hide();
    SetUpLabel(lbTime, {64, 104, 145, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetUpLabel(lbBPM, {88, 40, 97, 41}, QString(), SansSerif(24, false), Align::Centre, true);
    SetForeColour(lbBPM, DarkBlue);
}

void StatusLabels::ShowTempo(int32_t bpm) {
    lbBPM.setText(QString::number(bpm));
}

void StatusLabels::ShowTime(int32_t seconds) {
    lbTime.setText(
        QStringLiteral("%1 : %2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0')));
}

void StatusLabels::ClearTime() {
    lbTime.clear();
}

void StatusLabels::ShowPause(bool on, int32_t seconds) {
    lbPause.setVisible(on);
    lbPau1.setVisible(on);
    lbPau2.setVisible(on);
    lbPause.setText(QString::number(seconds));
}

void StatusLabels::ShowAccelerando(bool on, double rate, const WindowZoom& zoom) {
    // A negative rate would have no square root; it means no accelerando, and the smallest size.
    const int32_t points = RoundToInt32(std::sqrt(std::max(rate, 0.0) * 2) + 8);
    lbAcel.setVisible(on);
    QFont font = lbAcel.font();
    font.setPixelSize(zoom.Scaled(WindowFonts::PointsToPixels(points)));
    lbAcel.setFont(font);
}

void StatusLabels::ShowExport(bool visible) {
    if (visible) {
        lbProgress.clear();
    }
    lbWave.setVisible(visible);
    lbProgress.setVisible(visible);
}

void StatusLabels::ShowProgress(int32_t percent) {
    lbProgress.setText(QString::number(percent) + QLatin1Char('%'));
}
