#include "BeatDisplay.h"

#include "MetronomePicture.h"
#include "Rounding.h"
#include "WindowFonts.h"

#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

// The pendulum's rod ends, from the pivot.
constexpr QPoint LeftSwing(-10, -25);
constexpr QPoint RightSwing(15, -20);
constexpr int BobRadius = 4;

// The ball box.
constexpr double BallX = 15;
constexpr double BallRestY = 80;
constexpr double BallRadius = 5;
constexpr Colour DrawingColour{0, 0, 0};

// Frames of a screen whose rate is unknown.
constexpr double FallbackRefreshRate = 60.0;

// The rhythm strip: the symbol being played stands in its eighth column.
constexpr std::size_t StripLead = 8;
constexpr std::size_t StripTail = 26;
constexpr std::size_t StripWidth = 25;

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// The program keeps text as UTF-8, so a caption may hold characters of several bytes; the window
// is counted in characters on both sides of the symbol (a single byte itself), so that the symbol
// stays under the marker and no character is cut in two.
QString BeatDisplay::RhythmStrip(const std::string& rhythm, int32_t curPos) {
    const std::string padded = std::string(StripLead, ' ') + rhythm + std::string(StripTail, ' ');
    const auto start = static_cast<std::size_t>(std::max<int32_t>(curPos, 1) - 1);
    if (start >= padded.size()) {
        return {};
    }
    constexpr std::size_t MaxCharBytes = 4;
    const std::size_t symbol = std::min(start + StripLead - 1, padded.size());
    const std::size_t leftFrom = symbol - std::min(symbol, (StripLead - 1) * MaxCharBytes + 3);
    const std::string_view all(padded);
    const QString left =
        Utf8(all.substr(leftFrom, symbol - leftFrom)).right(static_cast<qsizetype>(symbol - start));
    const std::size_t rightChars = StripWidth - (StripLead - 1);
    const QString right = Utf8(all.substr(symbol, rightChars * MaxCharBytes))
                              .left(static_cast<qsizetype>(rightChars));
    return left + right;
}

BeatDisplay::BeatDisplay(TickSource& ticks, const QColor& background, QWidget* parent)
    : QWidget(parent)
    , picBall(background, this)
    , lbInfo(this)
    , Label1(this)
    , lbRhithm(this)
    , ticks(ticks) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    if (parent != nullptr) {
        setGeometry(parent->rect());
    }
    picBall.move(208, 0);
    picBall.Resize(41, 89);
    picBall.hide();
    shMetr.Size = 2 * BobRadius + 1;
    LineMetr.BorderWidth = 2;
    imMetronome.Geometry = QRect(192, 24, MetronomePictureSize, MetronomePictureSize);
    imMetronome.Picture = MetronomePicture();
    LineMetr.P1 = imMetronome.Geometry.topLeft() + MetronomePivot;
    PlacePendulum(LineMetr.P1 + LeftSwing);
    SetUpLabels();
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, this, [this] { DrawBall(); });
}

void BeatDisplay::SetUpLabels() {
    using WindowFonts::Align;
    using WindowFonts::FixedPitch;
    WindowFonts::SetUpLabel(lbInfo, {0, 120, 89, 17}, QString(), WindowFonts::SansSerif(12, true),
                            Align::Centre, true);
    // The marker and the strip share a fixed-pitch face, so that the columns line up.
    WindowFonts::SetUpLabel(Label1, {8, 136, 89, 17}, QStringLiteral("       |"),
                            FixedPitch(12, true), Align::Left, false);
    WindowFonts::SetUpLabel(lbRhithm, {8, 152, 257, 17}, QString(), FixedPitch(12, false),
                            Align::Left, false);
}

void BeatDisplay::StartSwing(int32_t length) {
    SwingStartTick = ticks.GetTickCount();
    SwingLength = length;
}

void BeatDisplay::SwingPendulum(bool right) {
    PlacePendulum(LineMetr.P1 + (right ? RightSwing : LeftSwing));
}

void BeatDisplay::ShowStrip(const QString& strip, const QString& info) {
    lbRhithm.setText(strip);
    lbInfo.setText(info);
}

void BeatDisplay::ClearStrip() {
    lbRhithm.clear();
    lbInfo.clear();
}

void BeatDisplay::ShowPendulum(bool pendulum) {
    imMetronome.Visible = pendulum;
    LineMetr.Visible = pendulum;
    shMetr.Visible = pendulum;
    picBall.setVisible(!pendulum);
    Repaint(imMetronome.Geometry.united(PendulumBounds()));
}

void BeatDisplay::Animate(bool on) {
    if (on == frames.isActive()) {
        return;
    }
    if (!on) {
        frames.stop();
        return;
    }
    DrawBall();
    frames.start(FrameInterval());
}

int BeatDisplay::FrameInterval() const {
    const QScreen* display = screen();
    const double rate = display != nullptr && display->refreshRate() > 1.0 ? display->refreshRate()
                                                                           : FallbackRefreshRate;
    return static_cast<int>(std::ceil(1000.0 / rate));
}

void BeatDisplay::DrawBall() {
    double h = 0;
    // Before the first main beat there is no swing to follow: the ball rests on the floor.
    if (SwingLength > 0) {
        const auto t = static_cast<double>(ticks.GetTickCount() - SwingStartTick);
        const double p = 2.0 / SwingLength * t;
        h = (1 - (p - 1) * (p - 1)) * SwingLength * 0.025;
    }
    picBall.Clear();
    picBall.Circle(BallX, BallRestY - h, BallRadius, DrawingColour, Fill::Solid);
    picBall.Rectangle(0, 84, 30, 88, DrawingColour, Fill::Solid);
}

void BeatDisplay::PlacePendulum(QPoint rodEnd) {
    const QRect before = PendulumBounds();
    LineMetr.P2 = rodEnd;
    shMetr.Left = rodEnd.x() - BobRadius;
    shMetr.Top = rodEnd.y() - BobRadius;
    Repaint(before.united(PendulumBounds()));
}

QRect BeatDisplay::PendulumBounds() const {
    const QRect rod = QRect(LineMetr.P1, LineMetr.P2).normalized();
    const QRect bob(shMetr.Left, shMetr.Top, shMetr.Size, shMetr.Size);
    return rod.united(bob).adjusted(-2, -2, 2, 2);
}

void BeatDisplay::Scale(double factor) {
    scale = factor;
    picBall.Scale(factor);
    // A ball that was drawn is drawn again; a box that never showed one stays empty.
    if (SwingLength > 0 || Animating()) {
        DrawBall();
    }
    update();
}

void BeatDisplay::Repaint(const QRect& area) {
    if (scale == 1.0) {
        update(area);
        return;
    }
    const QRectF scaled(QPointF(area.topLeft()) * scale, QSizeF(area.size()) * scale);
    update(scaled.toAlignedRect().adjusted(-1, -1, 1, 1));
}

void BeatDisplay::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter painter(this);
    painter.scale(scale, scale);
    if (imMetronome.Visible) {
        // The picture is drawn anew for every zoom and screen density, never enlarged.
        const double density = devicePixelRatioF() * scale;
        if (imMetronome.Picture.devicePixelRatio() != density) {
            imMetronome.Picture = MetronomePicture(density);
        }
        painter.drawImage(imMetronome.Geometry, imMetronome.Picture);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    if (LineMetr.Visible) {
        painter.setPen(QPen(Qt::black, LineMetr.BorderWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(LineMetr.P1) + QPointF(0.5, 0.5),
                         QPointF(LineMetr.P2) + QPointF(0.5, 0.5));
    }
    if (shMetr.Visible) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        painter.drawEllipse(
            QRectF(shMetr.Left + 0.5, shMetr.Top + 0.5, shMetr.Size - 1, shMetr.Size - 1));
    }
}
