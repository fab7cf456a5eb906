#include "QtSettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::string_literals;

struct Entry {
    std::string section;
    std::string key;
    std::string value;
};

// Every key the program keeps, each with a value of its own.
std::vector<Entry> ProgramEntries() {
    std::vector<Entry> entries{{"Time", "TotalTime", "123456"}};
    for (const int code : {65, 83, 68, 70, 71, 72, 74, 75, 76}) {
        entries.push_back({"Rhithm", "sav" + std::to_string(code),
                           "8 x'x'x'x' (xx.x \"slot " + std::to_string(code) + "\")0  "});
    }
    int level = 0;
    for (const char* preset : {"B", "N", "M", "<", ">", "/"}) {
        for (const char* line : {"_main", "_wave", "_mic"}) {
            entries.push_back(
                {"Mixer", std::string("mix") + preset + line, std::to_string(1000 * ++level - 7)});
        }
    }
    return entries;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    std::ofstream(path, std::ios::binary) << bytes;
}

ino_t Inode(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    std::string Path(const char* name = "Pulsara/Pulsara.conf") const {
        return folder.path().toStdString() + "/" + name;
    }

    // A store on a copy of the file, so that nothing but the bytes on disk can answer.
    QtSettingsStore FromCopyOnDisk(const char* copyName) const {
        WriteFile(Path(copyName), ReadFile(Path()));
        return QtSettingsStore(Path(copyName));
    }

    QTemporaryDir folder;
};

TEST_F(SettingsStoreTest, EveryKeyOfTheProgramComesBackFromDisk) {
    {
        QtSettingsStore store(Path());
        for (const Entry& e : ProgramEntries()) {
            store.Write(e.section, e.key, e.value);
        }
    }
    QtSettingsStore fresh(Path());
    QtSettingsStore copy = FromCopyOnDisk("copy.conf");
    for (const Entry& e : ProgramEntries()) {
        EXPECT_EQ(fresh.Read(e.section, e.key, "absent"), e.value) << e.section << '/' << e.key;
        EXPECT_EQ(copy.Read(e.section, e.key, "absent"), e.value) << e.section << '/' << e.key;
    }
}

TEST_F(SettingsStoreTest, KeysThatLookAlikeStayApart) {
    const std::vector<std::string> keys{
        "mix/_main",   "mix//_main", "/mix/_main", "mix/_main/",  "mix_main", "mix\\_main",
        "mix%2F_main", "mix%_main",  "mix<_wave",  "mix%3C_wave", "mix>_mic", "MIX>_MIC",
        "mix",         "",           "%",          "mix/"};
    {
        QtSettingsStore store(Path());
        for (size_t i = 0; i < keys.size(); ++i) {
            store.Write("Mixer", keys[i], std::to_string(i));
        }
        store.Write("Mixer/mix", "_main", "section with a slash");
    }
    QtSettingsStore copy = FromCopyOnDisk("copy.conf");
    // All of them are also listed, as the store that writes in the background starts from them.
    QtSettingsStore::Values entries = copy.Entries();
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(copy.Read("Mixer", keys[i], "absent"), std::to_string(i))
            << '"' << keys[i] << '"';
        EXPECT_EQ((entries[{"Mixer", keys[i]}]), std::to_string(i)) << keys[i];
    }
    EXPECT_EQ(entries.size(), keys.size() + 1);
    EXPECT_EQ(copy.Read("Mixer/mix", "_main", "absent"), "section with a slash");
    EXPECT_EQ(copy.Read("Mixer", "mix/_wave", "absent"), "absent");
}

TEST_F(SettingsStoreTest, AWriteReplacesTheValueOnDiskAtOnceThroughANewFile) {
    QtSettingsStore store(Path());
    store.Write("Time", "TotalTime", "10");
    EXPECT_EQ(ReadFile(Path()), "[Time]\nTotalTime=10\n");
    const ino_t before = Inode(Path());
    store.Write("Time", "TotalTime", "20");
    // The store is still open: the value is on disk already, in a file that replaced the old one
    // whole rather than being rewritten in place.
    EXPECT_EQ(ReadFile(Path()), "[Time]\nTotalTime=20\n");
    EXPECT_NE(Inode(Path()), before);
    EXPECT_EQ(QDir(QString::fromStdString(Path("Pulsara"))).entryList(QDir::Files),
              QStringList{"Pulsara.conf"});
}

TEST_F(SettingsStoreTest, TheUsersFileFollowsTheXdgConfigFolder) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = savedConfig != nullptr ? savedConfig : "";
    const std::string config = folder.path().toStdString() + "/config";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(QtSettingsStore::DefaultPath(), config + "/Pulsara/Pulsara.conf");
    {
        QtSettingsStore store;
        EXPECT_EQ(store.FilePath(), config + "/Pulsara/Pulsara.conf");
        store.Write("Time", "TotalTime", "1");
    }
    EXPECT_EQ(ReadFile(config + "/Pulsara/Pulsara.conf"), "[Time]\nTotalTime=1\n");

    unsetenv("XDG_CONFIG_HOME");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    EXPECT_EQ(QtSettingsStore::DefaultPath(), home + "/.config/Pulsara/Pulsara.conf");
    if (savedConfig != nullptr) {
        setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    }
}

TEST_F(SettingsStoreTest, AnEmptyOrDamagedFileReadsAsDefaults) {
    std::mt19937 random(20240613);
    std::string garbage(4096, '\0');
    for (char& c : garbage) {
        c = static_cast<char>(random() & 0xFF);
    }
    const std::vector<std::string> damaged{
        "",
        garbage,
        "[Time\nTotalTi",
        "\0\0\0\0[Time]\0TotalTime\0"s,
        "[Time]\nTotalTime=12, 34\n[Mixer]\nmix%3C_main=@Variant(\\0\\0\\0\\x7f)\n",
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        const std::string path = Path(("damaged" + std::to_string(i) + "/Pulsara.conf").c_str());
        WriteFile(path, damaged[i]);
        QtSettingsStore store(path);
        for (const Entry& e : ProgramEntries()) {
            EXPECT_EQ(store.Read(e.section, e.key, "dflt"), "dflt") << i << ' ' << e.key;
        }
        // The store keeps working on such a file: the next write makes it whole again.
        store.Write("Time", "TotalTime", "99");
        EXPECT_EQ(QtSettingsStore(path).Read("Time", "TotalTime", "dflt"), "99") << i;
    }
}

TEST_F(SettingsStoreTest, AFileThatCannotBeOpenedReadsAsDefaultsAndIgnoresWrites) {
    // A folder where the file should be: unreadable as a file and impossible to replace.
    QDir().mkpath(QString::fromStdString(Path()));
    QtSettingsStore store(Path());
    EXPECT_EQ(store.Read("Time", "TotalTime", "0"), "0");
    store.Write("Time", "TotalTime", "50");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Path())).isDir());
    EXPECT_TRUE(store.WriteFailed()) << "the user is told that nothing will be kept";
    QtSettingsStore good(Path("good.conf"));
    good.Write("Time", "TotalTime", "50");
    EXPECT_FALSE(good.WriteFailed());

    // A config folder that is a plain file.
    WriteFile(Path("plain"), "not a folder");
    QtSettingsStore blocked(Path("plain/Pulsara/Pulsara.conf"));
    EXPECT_EQ(blocked.Read("Mixer", "mix/_main", ""), "");
    blocked.Write("Mixer", "mix/_main", "3");
    EXPECT_EQ(ReadFile(Path("plain")), "not a folder");
}

} // namespace
