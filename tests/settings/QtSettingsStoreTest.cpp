// The settings file: every key apart and byte for byte, damaged files, and a file that cannot be
// written.
#include "QtSettingsStore.h"

#include "fakes/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
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

TEST_F(SettingsStoreTest, AnEmptyOrDamagedFileReadsAsDefaultsAndTheNextWriteMendsIt) {
    for (const std::string& bytes :
         {""s, "[Time\nTotalTi"s, "\0\0\0\0[Time]\0TotalTime\0"s,
          "[Time]\nTotalTime=12, 34\nmix%3C_main=@Variant(\\0\\x7f)\n"s}) {
        folder.Put("damaged.conf", bytes);
        QtSettingsStore store = Store("damaged.conf");
        EXPECT_EQ(store.Read("Time", "TotalTime", "dflt"), "dflt") << bytes;
        EXPECT_EQ(store.Read("Time", "mix<_main", "dflt"), "dflt") << bytes;
        store.Write("Time", "TotalTime", "99");
        EXPECT_FALSE(store.WriteFailed());
        EXPECT_EQ(Store("damaged.conf").Read("Time", "TotalTime", ""), "99");
    }
}

TEST_F(SettingsStoreTest, AFileThatCannotBeReplacedReadsAsDefaultsAndReportsItsWritesLost) {
    // A folder where the file should be, and a plain file where its folder should be.
    std::filesystem::create_directory(folder / "taken.conf");
    folder.Put("plain", "not a folder");
    for (const char* name : {"taken.conf", "plain/Pulsara/Pulsara.conf"}) {
        QtSettingsStore store = Store(name);
        EXPECT_EQ(store.Read("Time", "TotalTime", "0"), "0");
        store.Write("Time", "TotalTime", "50");
        EXPECT_TRUE(store.WriteFailed()) << name;
    }
    EXPECT_EQ(folder.Bytes("plain"), "not a folder");
}

} // namespace
