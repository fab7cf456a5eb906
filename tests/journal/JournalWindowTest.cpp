// The journal as a player meets it, under an X server of its own (Xvfb): two stretches played in
// the main window, the journal opened from its menu, its table showing them, Esc closing it.
#include "FormMain.h"
#include "XServer.h"
#include "fakes/FakeMixerDevice.h"
#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"

#include <QApplication>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

QAction* MenuEntry(QMenu& menu, const QString& group, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == group && action->menu() != nullptr) {
            return MenuEntry(*action->menu(), text, text);
        }
        if (action->text() == text && action->menu() == nullptr) {
            return action;
        }
    }
    return nullptr;
}

TEST(JournalWindow, TwoStretchesPlayedShowInTheTableOfTheWindowOpenedFromTheMenu) {
    ManualTickSource ticks{1000};
    RecordingSoundOutput sound;
    MemorySettingsStore settings;
    FakeMixerDevice mixer;
    ScriptedDialogs dialogs;
    TempoMemoryState values;
    PlatformServices services{ticks, sound, settings, mixer, dialogs};
    TempFolder folder;
    JournalStore::Opened journal = JournalStore::Open(folder / "journal.sqlite");
    ASSERT_TRUE(journal.Store) << journal.Notice;
    FormMain form(services, values);
    form.Journal->UseStore(*journal.Store);
    form.show();

    constexpr int32_t Space = 32;
    form.Session->PressKey(Space, 1);
    ticks.now += 6000;
    form.Session->PressKey(Space, 1);
    form.Session->PressKey(90, 1); // Z
    form.Session->PressKey(Space, 1);
    ticks.now += 7400;
    form.Session->PressKey(Space, 1);

    QAction* entry = MenuEntry(form.Commands().Menu(), "Tools", "Practice journal");
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    frmJournal* window = form.Journal->Window();
    ASSERT_NE(window, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!window->Filled() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ASSERT_TRUE(window->Filled());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Practice journal");
    EXPECT_TRUE(window->lbHint.isHidden());
    ASSERT_EQ(window->tbLatest.rowCount(), 2);
    const auto cell = [window](int row, int column) {
        return window->tbLatest.item(row, column)->text().toStdString();
    };
    EXPECT_EQ((std::vector{cell(0, 1), cell(0, 2), cell(0, 3), cell(0, 4), cell(1, 1), cell(1, 3)}),
              (std::vector<std::string>{"0:07", "8 x'x'x'x'  ", "preset Z", "120 → 120", "0:06",
                                        "default"}));
    EXPECT_EQ(window->cbRhythm.count(), 2);

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

} // namespace

// The X server comes first: the application connects to its display when it is made.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    XServer x;
    if (x.display.empty()) {
        std::fprintf(stderr, "no X server (Xvfb) could be started\n");
        return 1;
    }
    ::setenv("DISPLAY", x.display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
