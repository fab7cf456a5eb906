#include "NoticeBar.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

const QColor NoticeBar::Background(40, 40, 96);
const QColor NoticeBar::Foreground(255, 255, 255);
const QColor NoticeBar::UndoColour(255, 224, 128);

NoticeBar::NoticeBar(QWidget* parent)
    : QWidget(parent)
    , timer(this) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
    timer.setSingleShot(true);
    timer.setInterval(Duration);
    QObject::connect(&timer, &QTimer::timeout, this, [this] { Expire(); });
}

void NoticeBar::Show(const QString& vData, bool canUndo) {
    text = vData;
    undoable = canUndo;
    setToolTip(undoable ? QStringLiteral("Click to undo") : QString());
    setCursor(undoable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    raise();
    show();
    update();
    timer.start();
}

void NoticeBar::Expire() {
    timer.stop();
    hide();
}

void NoticeBar::OnUndo(std::function<void()> vData) {
    undo = std::move(vData);
}

int NoticeBar::Padding() const {
    return std::max(QFontMetrics(font()).height() / 2, 1);
}

int NoticeBar::TextWidth() const {
    return QFontMetrics(font()).horizontalAdvance(text);
}

int NoticeBar::UndoWidth() const {
    if (!undoable) {
        return 0;
    }
    return Padding() + QFontMetrics(font()).horizontalAdvance(QString::fromLatin1(UndoText));
}

QRect NoticeBar::Bubble() const {
    const int width = std::min(TextWidth() + UndoWidth() + 2 * Padding(), this->width());
    return {(this->width() - width) / 2, 0, width, height()};
}

void NoticeBar::paintEvent(QPaintEvent* e) {
    (void)e;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect bubble = Bubble();
    const double radius = height() / 3.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Background);
    painter.drawRoundedRect(QRectF(bubble), radius, radius);

    const QRect inside = bubble.adjusted(Padding(), 0, -Padding(), 0);
    painter.setPen(Foreground);
    painter.drawText(inside, Qt::AlignLeft | Qt::AlignVCenter, text);
    if (undoable) {
        QFont underlined = font();
        underlined.setUnderline(true);
        painter.setFont(underlined);
        painter.setPen(UndoColour);
        painter.drawText(inside, Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(UndoText));
    }
}

void NoticeBar::mousePressEvent(QMouseEvent* e) {
    // Beside the bubble, or on a notice that cannot undo, the click belongs to the window below.
    if (e->button() != Qt::LeftButton || !undoable || !Bubble().contains(e->position().toPoint())) {
        e->ignore();
        return;
    }
    e->accept();
    Expire();
    if (undo) {
        undo();
    }
}
