// The settings file: every key apart and byte for byte, damaged files kept aside, a file that
// cannot be written, and two runs adding to one value.
#include "QtSettingsStore.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;

class SettingsStoreTest : public ::testing::Test {
protected:
    QtSettingsStore Store(const std::string& name) const {
        return QtSettingsStore((folder / name).string());
    }

    TempFolder folder;
};

// Each name and value comes back from a fresh store on the file, also in the list of entries that
// the store writing in the background starts from.
TEST_F(SettingsStoreTest, KeysThatLookAlikeStayApartAndValuesComeBackByteForByte) {
    const std::vector<std::string> keys{
        "mix/_main",   "mix//_main", "/mix/_main", "mix/_main/",  "mix_main",   "mix\\_main",
        "mix%2F_main", "mix%_main",  "mix<_wave",  "mix%3C_wave", "mix>_mic",   "MIX>_MIC",
        "mix",         "",           "%",          "mix/",        "caf\xC3\xA9"};
    {
        QtSettingsStore store = Store("Pulsara.conf");
        for (size_t i = 0; i < keys.size(); ++i) {
            store.Write("Mixer", keys[i], std::to_string(i));
        }
        store.Write("Mixer/mix", "_main", "section with a slash");
        store.Write("Rhithm", "sav65", "4 x /\xE9tude \"1\"/");
        EXPECT_FALSE(store.WriteFailed());
    }
    QtSettingsStore fresh = Store("Pulsara.conf");
    QtSettingsStore::Values entries = fresh.Entries();
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(fresh.Read("Mixer", keys[i], "absent"), std::to_string(i)) << keys[i];
        EXPECT_EQ((entries[{"Mixer", keys[i]}]), std::to_string(i)) << keys[i];
    }
    EXPECT_EQ(entries.size(), keys.size() + 2);
    EXPECT_EQ(fresh.Read("Mixer/mix", "_main", "absent"), "section with a slash");
    EXPECT_EQ(fresh.Read("Rhithm", "sav65", "absent"), "4 x /\xE9tude \"1\"/");
    EXPECT_EQ(fresh.Read("Mixer", "mix/_wave", "absent"), "absent");
}

// An undo puts a key back as it was: an empty value is a value, and a key taken out leaves no
// trace in the file, not even an empty section.
TEST_F(SettingsStoreTest, AnEmptyValueIsFoundAndAKeyTakenOutLeavesTheFileAsBefore) {
    {
        QtSettingsStore store = Store("Pulsara.conf");
        store.Write("Time", "TotalTime", "5");
    }
    const std::string before = folder.Bytes("Pulsara.conf");
    {
        QtSettingsStore store = Store("Pulsara.conf");
        EXPECT_EQ(store.Find("Rhithm", "sav65"), std::nullopt);
        store.Write("Rhithm", "sav65", "");
        EXPECT_EQ(store.Find("Rhithm", "sav65"), "");
        store.Write("Rhithm", "sav65", "8 xx  ");
        EXPECT_EQ(store.Find("Rhithm", "sav65"), "8 xx  ");
        store.Remove("Rhithm", "sav65");
        store.Remove("Rhithm", "sav83");
        EXPECT_EQ(store.Find("Rhithm", "sav65"), std::nullopt);
    }
    EXPECT_EQ(folder.Bytes("Pulsara.conf"), before);
    EXPECT_EQ(Store("Pulsara.conf").Find("Time", "TotalTime"), "5");
}

// A file that cannot be parsed (or is no UTF-8) would lose what could not be read at the next
// write: it is kept aside, under a name that says so, and the store starts empty. Values that are
// merely of no use to the store read as defaults, and the next write mends them.
TEST_F(SettingsStoreTest, AFileThatCannotBeParsedIsKeptAsideAndTheStoreStartsEmpty) {
    const std::pair<std::string, const char*> cases[] = {
        {"[Time\nTotalTi"s, "damaged.conf.unreadable"},
        {"\0\0\0\0[Time]\0TotalTime\0"s, "damaged.conf.unreadable-2"},
        {"a line of notes\n[Time]\nTotalTime=5\n"s, "damaged.conf.unreadable-3"},
        {"[Time]\nTotalTime=5\nsav65=\xE9tude\n"s, "damaged.conf.unreadable-4"},
        {""s, nullptr},
        {"[Time]\nTotalTime=12, 34\nmix%3C_main=@Variant(\\0\\x7f)\n"s, nullptr},
    };
    for (const auto& [bytes, aside] : cases) {
        SCOPED_TRACE(aside ? aside : "read");
        folder.Put("damaged.conf", bytes);
        QtSettingsStore store = Store("damaged.conf");
        EXPECT_EQ(store.KeptAside(),
                  aside ? std::optional((folder / aside).string()) : std::nullopt);
        if (aside) {
            EXPECT_EQ(folder.Bytes(aside), bytes);
        }
        EXPECT_EQ(store.Read("Time", "TotalTime", "dflt"), "dflt");
        EXPECT_EQ(store.Read("Time", "mix<_main", "dflt"), "dflt");
        store.Write("Time", "TotalTime", "99");
        EXPECT_FALSE(store.WriteFailed());
        EXPECT_EQ(Store("damaged.conf").Read("Time", "TotalTime", ""), "99");
    }
}

// A value that the caller cannot read is kept in a copy of the file before it is replaced; the same
// file is copied once.
TEST_F(SettingsStoreTest, ACopyKeepsTheFileAsItWas) {
    QtSettingsStore store = Store("Pulsara.conf");
    store.Write("Time", "TotalTime", "12 minutes");
    const std::string before = folder.Bytes("Pulsara.conf");
    EXPECT_TRUE(store.Holds("Time", "TotalTime"));
    EXPECT_EQ(store.KeepCopy("unreadable"), (folder / "Pulsara.conf.unreadable").string());
    EXPECT_EQ(store.KeepCopy("unreadable"), (folder / "Pulsara.conf.unreadable").string());
    store.Write("Time", "TotalTime", "0");
    EXPECT_EQ(folder.Bytes("Pulsara.conf.unreadable"), before);
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReplacedReadsAsDefaultsAndReportsItsWritesLost) {
    // A folder where the file should be, and a plain file where its folder should be.
    std::filesystem::create_directory(folder / "taken.conf");
    folder.Put("plain", "not a folder");
    for (const char* name : {"taken.conf", "plain/Pulsara/Pulsara.conf"}) {
        QtSettingsStore store = Store(name);
        EXPECT_FALSE(store.CanWrite()) << name << ": known before the first write";
        EXPECT_EQ(store.Read("Time", "TotalTime", "0"), "0");
        store.Write("Time", "TotalTime", "50");
        EXPECT_TRUE(store.WriteFailed()) << name;
    }
    EXPECT_EQ(folder.Bytes("plain"), "not a folder");
    EXPECT_TRUE(Store("new.conf").CanWrite());

    // Once the place is free, the next write lands with the values that were lost before.
    QtSettingsStore store = Store("taken.conf");
    store.Write("Rhithm", "sav65", "8 xx");
    ASSERT_TRUE(store.WriteFailed());
    std::filesystem::remove(folder / "taken.conf");
    store.Write("Time", "TotalTime", "60");
    EXPECT_FALSE(store.WriteFailed());
    EXPECT_EQ(Store("taken.conf").Read("Rhithm", "sav65", ""), "8 xx");
}

// Two runs of the program that add to one value at the same time: every addition counts.
TEST_F(SettingsStoreTest, UpdatesFromTwoProcessesAtOnceAllCount) {
    Store("shared.conf").Write("Time", "TotalTime", "1000");
    const auto addOneAHundredTimes = [this] {
        QtSettingsStore store = Store("shared.conf");
        for (int i = 0; i < 100; ++i) {
            store.Update("Time", "TotalTime", "0", [](std::string_view stored) {
                return std::to_string(std::stoi(std::string(stored)) + 1);
            });
        }
    };
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        addOneAHundredTimes();
        ::_exit(0);
    }
    addOneAHundredTimes();
    int status = 0;
    ::waitpid(other, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(Store("shared.conf").Read("Time", "TotalTime", ""), "1200");
}

} // namespace
