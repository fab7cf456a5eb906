// Notices from start-up and from the settings writer's thread reach the window in one message box,
// once the beat has stopped.
#include "UserNotices.h"

#include "fakes/ScriptedDialogs.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(UserNoticesTest, NoticesFromAnyThreadComeTogetherInOneMessageWhenTheBeatStops) {
    ScriptedDialogs dialogs;
    UserNotices notices(dialogs);
    bool playing = true;
    notices.ShowWhen([&] { return !playing; }, 0);
    notices.Say("No audio output could be opened.");
    notices.Say("");
    std::thread([&] { notices.Say("The settings file cannot be written."); }).join();
    EXPECT_TRUE(dialogs.messages.empty()) << "nothing is shown before the window's loop runs";
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty()) << "nothing is shown while the beat plays";
    playing = false;
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "No audio output could be opened.\n\nThe settings file cannot be written.");
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Once the program is ending nobody can answer a message box, and one would keep the process
// alive: notices then go to stderr alone, and those still waiting are dropped.
TEST(UserNoticesTest, NothingIsShownOnceTheProgramEnds) {
    ScriptedDialogs dialogs;
    UserNotices notices(dialogs);
    notices.Say("The settings file cannot be written.");
    notices.End();
    std::thread([&] { notices.Say("The practice time could not be stored."); }).join();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
