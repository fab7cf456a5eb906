#include "QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Answers the next modal window from inside its own event loop, as a person would. Should the
// answer leave the window open, it is closed, so that a failing test fails instead of waiting.
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(QWidget&)> answer) {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this, answer] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return;
            }
            timer.stop();
            seen = true;
            answer(*modal);
            if (modal->isVisible()) {
                modal->close();
            }
        });
        timer.start();
    }

    bool seen = false;

private:
    QTimer timer;
};

TEST(QtDialogsFilterTest, TheDefaultExtensionIsAddedOnlyToANameWithoutOne) {
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", ".rtm"), "/home/u/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", "wav"), "/home/u/take1.wav");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1.rtm", ".rtm"), "/home/u/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1.txt", ".rtm"), "/home/u/take1.txt");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u.v/take1", ".rtm"), "/home/u.v/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", ""), "/home/u/take1");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("", ".rtm"), "");
}

class QtFileDialogTest : public ::testing::Test {
protected:
    std::string InFolder(const char* name) const {
        return folder.path().toStdString() + "/" + name;
    }

    QTemporaryDir folder;
    QtDialogs dialogs;
};

TEST_F(QtFileDialogTest, ASaveDialogShowsItsSetUpAndAddsTheDefaultExtension) {
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QStringList filters;
    QString title, suffix, initial;
    ModalAnswer answer([&](QWidget& window) {
        auto* dialog = qobject_cast<QFileDialog*>(&window);
        ASSERT_NE(dialog, nullptr);
        mode = dialog->acceptMode();
        filters = dialog->nameFilters();
        title = dialog->windowTitle();
        suffix = dialog->defaultSuffix();
        initial = dialog->selectedFiles().value(0);
        dialog->selectFile(QString::fromStdString(InFolder("take1")));
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::string chosen = dialogs.SaveFile({.filter = "Rhithm files|*.rtm",
                                                 .defaultExt = ".rtm",
                                                 .title = "",
                                                 .initialName = InFolder("song.rtm")});
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(chosen, InFolder("take1.rtm"));
    EXPECT_EQ(mode, QFileDialog::AcceptSave);
    EXPECT_EQ(filters, QStringList{"Rhithm files (*.rtm)"});
    EXPECT_FALSE(title.isEmpty());
    EXPECT_EQ(suffix, "rtm");
    EXPECT_EQ(initial.toStdString(), InFolder("song.rtm"));
}

} // namespace
