#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <string>

// The modal window in which the player types or edits the rhythm text. It shows the text it is
// given and writes the edited text back only when confirmed with OK; closing it any other way
// leaves the text as it was. It checks nothing itself: the caller hands the result to the rhythm.
class frmRhithm final : public QDialog {
public:
    // RhythmEntryText carries the text in and, through OK, out; it must outlive the window.
    explicit frmRhithm(std::string& RhythmEntryText, QWidget* parent = nullptr);

    void cmOK_Click();

    QLineEdit txRhithm{this};
    QPushButton cmOK{QStringLiteral("OK"), this};

private:
    void Form_Load();

    std::string& rhythmEntryText;
};
