#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

class QMouseEvent;
class QPaintEvent;

// A short notice inside the main window ("Stored in slot A", "Master volume 81 %"): a small
// bubble centred in the control's rectangle, over the window's other controls, for Duration
// milliseconds. It is no window of its own and never modal, takes neither the focus nor a key,
// and only asks for a repaint, so that the beat never waits for it. A notice of a store that can
// be undone ends in "Undo", and a click on the bubble undoes the store.
//
// The window places the control and gives it a font in pixels; the zoom scales both, and the
// bubble's margins follow the font.
class NoticeBar final : public QWidget {
public:
    explicit NoticeBar(QWidget* parent);

    // Shows text for Duration milliseconds from now, in place of a notice still showing.
    void Show(const QString& text, bool undoable);
    // Ends the notice now, as its time running out does.
    void Expire();
    // What a click on the bubble of an undoable notice runs.
    void OnUndo(std::function<void()> undo);

    const QString& Text() const { return text; }
    bool Undoable() const { return undoable; }
    const QTimer& Timer() const { return timer; }
    // Where the bubble lies, in the control's coordinates.
    QRect Bubble() const;

    static constexpr int Duration = 2000;
    static constexpr const char* UndoText = "Undo";
    static const QColor Background;
    static const QColor Foreground;
    static const QColor UndoColour;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    int Padding() const;
    int TextWidth() const;
    int UndoWidth() const;

    QString text;
    bool undoable = false;
    QTimer timer;
    std::function<void()> undo;
};
