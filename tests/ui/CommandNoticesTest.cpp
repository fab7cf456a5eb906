// Nothing changes behind the player's back: the window's notices for what no label shows, the
// undo of the last store or reset by a click on its notice or from the menu, the microphone's
// mute left as it was found, the help page always shown, a typed tempo that keeps the beat going,
// and the window's icon.
#include "FormFixture.h"
#include "VirtualKey.h"
#include "fakes/TempFolder.h"
#include "frmTempo.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTextBrowser>
#include <QTimer>
#include <optional>
#include <string>
#include <vector>

namespace {

using K = VirtualKey;

class CommandNoticesTest : public FormFixture {
protected:
    // The notice's time runs out, as its timer would have it.
    void NoticeTimesOut() {
        ASSERT_TRUE(form->lbNotice.Timer().isActive());
        EXPECT_EQ(form->lbNotice.Timer().interval(), NoticeBar::Duration);
        ASSERT_TRUE(QMetaObject::invokeMethod(const_cast<QTimer*>(&form->lbNotice.Timer()),
                                              "timeout", Qt::DirectConnection));
    }
    void ClickNotice() {
        const QPointF at = QRectF(form->lbNotice.Bubble()).center();
        QMouseEvent click(QEvent::MouseButtonPress, at, form->lbNotice.mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form->lbNotice, &click);
    }
};

// The commands whose effect no label shows, one of each family, tell it in the window for two
// seconds, without a dialog and without taking the focus; then the notice is gone. What each
// command tells is tested with its command class.
TEST_F(CommandNoticesTest, EachNoticeAppearsForItsCommandAndDisappears) {
    const struct {
        std::vector<int32_t> keys;
        const char* text;
        bool undoable;
    } rows[] = {
        {{'A', 'A'}, "Stored in slot A", true},
        {{K::Numpad1 + 2, K::Numpad1 + 2}, "Tempo memory 3 stored", true},
        {{'B', 'B'}, "Mixer preset B stored", true},
        {{K::F12}, "Microphone muted", false},
    };
    form->show();
    form->activateWindow();
    QWidget* const focused = QApplication::focusWidget();
    EXPECT_TRUE(form->lbNotice.isHidden());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        ticks.now += 1000;
        for (const int32_t key : row.keys) {
            Key(key);
        }
        EXPECT_TRUE(form->lbNotice.isVisible());
        EXPECT_EQ(form->lbNotice.Text(), QString::fromUtf8(row.text));
        EXPECT_EQ(form->lbNotice.Undoable(), row.undoable);
        EXPECT_FALSE(form->lbNotice.isWindow());
        EXPECT_EQ(form->lbNotice.focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(QApplication::focusWidget(), focused);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_TRUE(dialogs.messages.empty());
        // Above every other control of the window, and inside it.
        EXPECT_EQ(form->children().back(), &form->lbNotice);
        EXPECT_TRUE(form->rect().contains(form->lbNotice.geometry()));
        NoticeTimesOut();
        EXPECT_TRUE(form->lbNotice.isHidden());
    }
}

// The notice is drawn inside the window at every zoom, and its bubble holds the whole text; its
// place and its letters grow as every control's do.
TEST_F(CommandNoticesTest, TheNoticeGrowsWithTheZoom) {
    Key('A');
    Key('A');
    const int bubble100 = form->lbNotice.Bubble().width();
    for (const int32_t percent : {150, 200, 300}) {
        form->SetZoom(percent);
        EXPECT_TRUE(form->rect().contains(form->lbNotice.geometry())) << percent;
        EXPECT_GT(form->lbNotice.Bubble().width(), bubble100 * percent / 100 - 8) << percent;
        EXPECT_LE(form->lbNotice.Bubble().width(), form->lbNotice.width()) << percent;
    }
}

// A click on the notice of a store undoes it, and so does the menu's entry while it is offered:
// the settings hold again what the store overwrote.
TEST_F(CommandNoticesTest, UndoByTheNoticeOrTheMenuPutsTheSettingsBack) {
    settings.Set("Rhithm", "sav65", "12 xxx xxx xxx xxx");
    form->show();
    Key('A');
    Key('A');
    EXPECT_EQ(settings.Stored("Rhithm", "sav65"), "4 xxxx (xxxx xxxx xxxx xxxx)0  ");
    ClickNotice();
    EXPECT_EQ(settings.Stored("Rhithm", "sav65"), "12 xxx xxx xxx xxx");
    EXPECT_EQ(form->lbNotice.Text(), "Undone: slot A stored");
    EXPECT_FALSE(form->lbNotice.Undoable());
    EXPECT_EQ(MenuEntry(QStringLiteral("Undo: slot A stored")), nullptr);
    // A click on a notice that cannot undo is the window's.
    ClickNotice();
    EXPECT_EQ(settings.Stored("Rhithm", "sav65"), "12 xxx xxx xxx xxx");

    ticks.now += 1000;
    Key('B');
    Key('B');
    NoticeTimesOut();
    QAction* undo = MenuEntry(QStringLiteral("Undo: mixer preset B stored"));
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(form->Commands().Menu().actions().front(), undo) << "at the top of the menu";
    undo->trigger();
    EXPECT_EQ(settings.Stored("Mixer", "mixB_main"), std::nullopt);
    EXPECT_EQ(MenuEntry(QStringLiteral("Undo: mixer preset B stored")), nullptr);
    EXPECT_EQ(form->lbNotice.Text(), "Undone: mixer preset B stored");
}

// A window that goes without a close still puts the microphone's mute back as it was found; the
// rule itself is tested with the session.
TEST_F(CommandNoticesTest, TheMicrophonesMuteIsPutBackAlsoWithoutAClose) {
    form.reset();
    mixer.Value(MixerLineType::Microphone, MixerControlType::Mute) = 0;
    SetUp();
    Key(K::F12);
    form.reset();
    EXPECT_FALSE(MicrophoneMuted());
}

// F1 hands the page to the desktop's viewer; where none can be started, the page shows in the
// program's own window. A page that is missing is reported with its path.
TEST_F(CommandNoticesTest, F1WithNoOpenerShowsTheHelpInAWindowOfItsOwn) {
    const TempFolder folder;
    folder.Put("Help.htm", "<html><body><h1>Pulsara help</h1><p>Space starts.</p></body></html>");
    form->Windows().HelpPage = folder / "Help.htm";
    std::vector<std::filesystem::path> handedOver;
    form->Windows().OpenDocument = [&](const std::filesystem::path& page, std::function<void()>) {
        handedOver.push_back(page);
    };
    Key(K::F1);
    EXPECT_EQ(handedOver, std::vector<std::filesystem::path>{folder / "Help.htm"});
    EXPECT_EQ(form->Windows().HelpWindow(), nullptr);

    form->Windows().OpenDocument = [](const std::filesystem::path&, std::function<void()> failed) {
        failed();
    };
    Key(K::F1, 1000);
    QTextBrowser* help = form->Windows().HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_FALSE(help->isModal());
    EXPECT_TRUE(help->toPlainText().contains(QStringLiteral("Pulsara help")));
    EXPECT_TRUE(dialogs.messages.empty());

    form->Windows().HelpPage = folder / "gone.htm";
    Key(K::F1, 1000);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find((folder / "gone.htm").string()), std::string::npos);
}

// The desktop's opener counts as no viewer when it cannot be started, or when it ends with an
// error (xdg-open on a machine without a desktop); it is not waited for.
TEST_F(CommandNoticesTest, TheDesktopOpenerFailsWhenItCannotStartOrGivesUp) {
    const TempFolder folder;
    folder.Put("Help.htm", "<p>help</p>");
    for (const auto& [program, fails] :
         {std::pair{"pulsara-no-such-opener", true}, {"false", true}, {"true", false}}) {
        SCOPED_TRACE(program);
        HelpViewer viewer(*form, dialogs);
        bool failed = false;
        QEventLoop loop;
        viewer.DesktopOpener(QString::fromLatin1(program))(folder / "Help.htm", [&] {
            failed = true;
            loop.quit();
        });
        // An opener that succeeds says nothing: half a second without a failure counts as success.
        QTimer::singleShot(fails ? 3000 : 500, &loop, &QEventLoop::quit);
        if (!failed) {
            loop.exec();
        }
        EXPECT_EQ(failed, fails);
    }
}

// A typed tempo changes the tempo without stopping the beat, which goes on behind the dialog.
TEST_F(CommandNoticesTest, SetTempoKeepsTheBeatRunning) {
    SwitchOn();
    ASSERT_TRUE(NextBeat());
    bool beatBehindTheDialog = false;
    QTimer::singleShot(0, form.get(), [&] {
        auto* dialog = dynamic_cast<frmTempo*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(form->Session->Metron->Enable());
        beatBehindTheDialog = NextBeat();
        dialog->txBPM.setValue(150);
        dialog->cmOK.click();
    });
    form->EnterTempo();
    EXPECT_TRUE(beatBehindTheDialog);
    EXPECT_TRUE(form->Session->Metron->Enable());
    EXPECT_EQ(form->Session->Metron->BPM(), 150);
    EXPECT_EQ(form->Labels.lbBPM.text(), "150");
    EXPECT_TRUE(NextBeat());
}

// The window carries the program's icon, in the sizes a window manager asks for.
TEST_F(CommandNoticesTest, TheWindowHasTheProgramsIcon) {
    ASSERT_FALSE(form->windowIcon().isNull());
    const QList<QSize> sizes = form->windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 64, 128}) {
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    }
    const QImage small = form->windowIcon().pixmap(QSize(32, 32)).toImage();
    EXPECT_NE(small.pixelColor(16, 16).alpha(), 0) << "the metronome fills the middle";
    EXPECT_EQ(small.pixelColor(0, 0).alpha(), 0) << "on a transparent ground";
}

} // namespace
