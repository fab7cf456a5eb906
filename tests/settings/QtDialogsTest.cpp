// The file dialogs' own part: the program's filter strings and the extension added to a typed name.
#include "QtDialogs.h"

#include <gtest/gtest.h>

namespace {

TEST(QtDialogsTest, FiltersAndTheDefaultExtension) {
    EXPECT_EQ(QtDialogs::NameFilters("Rhithm files|*.rtm|Wave|*.wav;*.wave|Everything"),
              (QStringList{"Rhithm files (*.rtm)", "Wave (*.wav *.wave)", "Everything (*)"}));
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/take1", "/home/u/take1.rtm"},
        {"/home/u/take1.rtm", "/home/u/take1.rtm"},
        {"/home/u/take1.txt", "/home/u/take1.txt"},
        {"/home/u.v/take1", "/home/u.v/take1.rtm"},
        {"/home/u/", "/home/u/"},
        {"", ""},
    };
    for (const auto& [typed, chosen] : cases) {
        EXPECT_EQ(QtDialogs::WithDefaultExtension(typed, ".rtm"), chosen) << typed;
    }
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", "wav"), "/home/u/take1.wav");
    EXPECT_EQ(QtDialogs::WithDefaultExtension("/home/u/take1", ""), "/home/u/take1");
}

} // namespace
