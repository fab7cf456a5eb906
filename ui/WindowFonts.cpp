#include "WindowFonts.h"

#include "Rounding.h"

#include <QPalette>

namespace {

// The faces the window was designed with. Where they are missing, their metric twins stand in:
// the rhythm strip and its marker line up only in a face of one fixed pitch.
constexpr const char* FixedFace = "Courier New";
constexpr const char* SansFace = "MS Sans Serif";

// Once, before the first face is asked for.
void AddStandIns() {
    static const bool added = [] {
        QFont::insertSubstitution(QString::fromLatin1(FixedFace),
                                  QStringLiteral("Liberation Mono"));
        QFont::insertSubstitution(QString::fromLatin1(SansFace), QStringLiteral("Liberation Sans"));
        return true;
    }();
    (void)added;
}

} // namespace

namespace WindowFonts {

int PointsToPixels(double points) {
    return RoundToInt32(points * 96.0 / 72.0);
}

QFont SansSerif(double points, bool bold) {
    AddStandIns();
    QFont font(QString::fromLatin1(SansFace));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

QFont FixedPitch(double points, bool bold) {
    AddStandIns();
    QFont font(QString::fromLatin1(FixedFace));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(PointsToPixels(points));
    font.setBold(bold);
    return font;
}

// Labels draw only their text, top-aligned as on the original window, over the window's own
// background, so that overlapping labels never hide each other's text.
void SetUpLabel(QLabel& label, QRect geometry, const QString& text, const QFont& font, Align align,
                bool wrap) {
    label.setGeometry(geometry);
    label.setTextFormat(Qt::PlainText);
    label.setText(text);
    label.setFont(font);
    label.setAlignment(Qt::AlignTop | (align == Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft));
    label.setWordWrap(wrap);
    label.setMargin(0);
    label.setIndent(0);
}

void SetForeColour(QLabel& label, const QColor& colour) {
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colour);
    label.setPalette(palette);
}

} // namespace WindowFonts
