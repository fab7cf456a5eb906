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

TEST(QtDialogsFilterTest, DescriptionAndPatternBecomeOneQtFilter) {
    EXPECT_EQ(QtDialogs::NameFilters("Rhithm files|*.rtm"), QStringList{"Rhithm files (*.rtm)"});
    EXPECT_EQ(QtDialogs::NameFilters("Wave files|*.wav"), QStringList{"Wave files (*.wav)"});
    EXPECT_EQ(QtDialogs::NameFilters("Sound|*.wav;*.wave|All files|*.*"),
              (QStringList{"Sound (*.wav *.wave)", "All files (*.*)"}));
    EXPECT_EQ(QtDialogs::NameFilters("Rhithm files|*.rtm|"), QStringList{"Rhithm files (*.rtm)"});
    EXPECT_EQ(QtDialogs::NameFilters("Anything"), QStringList{"Anything (*)"});
    EXPECT_TRUE(QtDialogs::NameFilters("").isEmpty());
}

TEST(QtDialogsFilterTest, TheDefaultExtensionIsAddedOnlyToANameWithoutOne) {
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", ".rtm"), "/home/u/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", "wav"), "/home/u/take1.wav");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1.rtm", ".rtm"), "/home/u/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1.txt", ".rtm"), "/home/u/take1.txt");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u.v/take1", ".rtm"), "/home/u.v/take1.rtm");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", ""), "/home/u/take1");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("", ".rtm"), "");
}

TEST(QtDialogsTest, AMessageBoxHasItsTextTitleIconAndOneOkButton) {
    QtDialogs dialogs;
    struct Seen {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    };
    const auto answerAndRecord = [](Seen& seen) {
        return [&seen](QWidget& window) {
            auto* box = qobject_cast<QMessageBox*>(&window);
            ASSERT_NE(box, nullptr);
            seen = {box->text(), box->windowTitle(), box->icon(), box->standardButtons()};
            ASSERT_EQ(box->buttons().size(), 1);
            box->buttons().front()->click();
        };
    };

    Seen syntax;
    ModalAnswer first(answerAndRecord(syntax));
    dialogs.MessageBox("Error Syntax", "Error", MessageIcon::Exclamation);
    ASSERT_TRUE(first.seen);
    EXPECT_EQ(syntax.text, "Error Syntax");
    EXPECT_EQ(syntax.title, "Error");
    EXPECT_EQ(syntax.icon, QMessageBox::Warning);
    EXPECT_EQ(syntax.buttons, QMessageBox::Ok);

    Seen mixer;
    ModalAnswer second(answerAndRecord(mixer));
    dialogs.MessageBox("Mixer could not be open", "Pulsara - Mixercontrol Error",
                       MessageIcon::Error);
    ASSERT_TRUE(second.seen);
    EXPECT_EQ(mixer.title, "Pulsara - Mixercontrol Error");
    EXPECT_EQ(mixer.icon, QMessageBox::Critical);
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

TEST_F(QtFileDialogTest, AGivenTitleReplacesTheStandardOne) {
    QString title;
    ModalAnswer answer([&](QWidget& window) {
        title = window.windowTitle();
        qobject_cast<QDialog*>(&window)->reject();
    });
    dialogs.SaveFile({.filter = "Wave files|*.wav",
                      .defaultExt = ".wav",
                      .title = "Export to Wave",
                      .initialName = ""});
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(title, "Export to Wave");
}

TEST_F(QtFileDialogTest, ACancelledDialogGivesTheEmptyText) {
    ModalAnswer save([](QWidget& window) { qobject_cast<QDialog*>(&window)->reject(); });
    EXPECT_EQ(dialogs.SaveFile({.filter = "Wave files|*.wav", .defaultExt = ".wav"}), "");
    ASSERT_TRUE(save.seen);

    ModalAnswer open([](QWidget& window) { window.close(); });
    EXPECT_EQ(dialogs.OpenFile({.filter = "Rhithm files|*.rtm"}), "");
    ASSERT_TRUE(open.seen);
}

TEST_F(QtFileDialogTest, AnOpenDialogReturnsTheChosenFile) {
    QFile existing(QString::fromStdString(InFolder("groove.rtm")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("\"8 x'x'x'x'  \"\r\n");
    existing.close();

    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    ModalAnswer answer([&](QWidget& window) {
        auto* dialog = qobject_cast<QFileDialog*>(&window);
        ASSERT_NE(dialog, nullptr);
        mode = dialog->acceptMode();
        dialog->selectFile(existing.fileName());
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(dialogs.OpenFile({.filter = "Rhithm files|*.rtm"}), InFolder("groove.rtm"));
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(mode, QFileDialog::AcceptOpen);
}

} // namespace
