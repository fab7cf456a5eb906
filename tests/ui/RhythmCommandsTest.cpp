#include "RhythmCommands.h"

#include "fakes/ManualTickSource.h"
#include "fakes/MemorySettingsStore.h"
#include "fakes/RecordingSoundOutput.h"
#include "fakes/ScriptedDialogs.h"
#include "fakes/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* StoredDefault = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";

// The stored form of an accepted text, blank tail included.
std::string Stored(std::string_view text) {
    CTrackList track;
    track.Rhithm(text);
    EXPECT_EQ(track.LastCheck(), 1) << text;
    return track.Rhithm();
}

class RhythmCommandsTest : public ::testing::Test {
protected:
    RhythmCommandsTest()
        : metron(ticks, sound)
        , commands(metron, settings, dialogs, SavedRhythm, RecalledRhythm, RhythmEntryText, [this] {
            shownEntryTexts.push_back(RhythmEntryText);
            enabledWhenEntryShown.push_back(metron.Enable());
            if (entryAnswer) {
                entryAnswer();
            }
        }) {
        metron.BPM(120);
        metron.Track().Rhithm(RhythmCommands::DefaultRhythm);
        metron.Enable(true);
    }

    const std::string& Rhythm() const { return metron.Track().Rhithm(); }

    void Play(const std::string& text) {
        metron.Track().Rhithm(text);
        ASSERT_EQ(metron.Track().LastCheck(), 1) << text;
        metron.Enable(true);
    }

    void Save(const fs::path& file) {
        dialogs.answers.push_back(file.string());
        commands.SaveRhythmFile();
    }

    void Open(const fs::path& file) {
        dialogs.answers.push_back(file.string());
        commands.OpenRhythmFile();
    }

    // The rhythm file dialogs' options: no title (the standard one) and the last chosen name.
    static FileDialogOptions SaveOptions(std::string initial) {
        return {"Rhithm files|*.rtm", ".rtm", "", std::move(initial)};
    }
    static FileDialogOptions OpenOptions(std::string initial) {
        return {"Rhithm files|*.rtm", "", "", std::move(initial)};
    }

    void ExpectFileMessage(const fs::path& file, const std::string& reason) {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        const ScriptedDialogs::Message& message = dialogs.messages[0];
        EXPECT_NE(message.text.find("\"" + file.string() + "\""), std::string::npos)
            << message.text;
        EXPECT_NE(message.text.find(reason), std::string::npos) << message.text;
        EXPECT_EQ(message.title, "Pulsara - Rhithm file");
        EXPECT_EQ(message.icon, MessageIcon::Error);
    }

    // What went wrong with a save over the old file in a folder that refuses writing; empty when
    // all went as it should. It reports rather than asserts so that a child process can run it.
    std::string UnwritableSaveFaults(const fs::path& file) {
        const std::string before = Bytes(file);
        const std::string rhythm = Rhythm();
        Save(file);
        std::string faults;
        if (dialogs.messages.size() != 1 ||
            dialogs.messages[0].text.find(file.string()) == std::string::npos ||
            dialogs.messages[0].text.find("Permission denied") == std::string::npos ||
            dialogs.messages[0].title != "Pulsara - Rhithm file") {
            faults += "no message naming the file and the reason; ";
        }
        if (Bytes(file) != before) {
            faults += "the old file changed; ";
        }
        if (Rhythm() != rhythm || metron.Enable()) {
            faults += "the rhythm changed or the beat runs; ";
        }
        if (std::distance(fs::directory_iterator(file.parent_path()), {}) != 1) {
            faults += "a file was left beside the old one; ";
        }
        return faults;
    }

    static std::string Bytes(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempFolder folder;
    ManualTickSource ticks;
    RecordingSoundOutput sound;
    MemorySettingsStore settings;
    ScriptedDialogs dialogs;
    std::string SavedRhythm;
    std::string RecalledRhythm;
    std::string RhythmEntryText;
    std::vector<std::string> shownEntryTexts;
    std::vector<bool> enabledWhenEntryShown;
    std::function<void()> entryAnswer;
    CMetronome metron;
    RhythmCommands commands;
};

TEST_F(RhythmCommandsTest, PresetsGiveTheSingleTextAndOnRepeatsTheSecond) {
    const std::vector<std::tuple<int32_t, std::string, std::string>> presets{
        {90, "8 x'x'x'x'", "8 xx xx xx xx"},
        {88, "12 x''x''x''x''", "12 xxx xxx xxx xxx"},
        {67, "16 x'''x'''x'''x'''", "16 xxxx xxxx xxxx xxxx"},
        {86, "24 x'''''x'''''x'''''x'''''", "24 xxxxxx xxxxxx xxxxxx xxxxxx"}};
    for (const auto& [key, single, repeat] : presets) {
        commands.PresetKey(key, false);
        EXPECT_EQ(Rhythm(), single + "  ") << key;
        commands.PresetKey(key, true);
        EXPECT_EQ(Rhythm(), repeat + "  ") << key;
        commands.PresetKey(key, true); // a third quick press
        EXPECT_EQ(Rhythm(), repeat + "  ") << key;
    }
    commands.PresetKey(65, false); // not a preset key
    EXPECT_EQ(Rhythm(), "24 xxxxxx xxxxxx xxxxxx xxxxxx  ");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(settings.values.empty());
}

TEST_F(RhythmCommandsTest, ShiftTwiceAfterAFileWasReadReturnsToTheFileRhythm) {
    folder.Put("swing.rtm", "\"8 x'x^x'x^\"\r\n");
    Open(folder / "swing.rtm");
    ASSERT_EQ(Rhythm(), "8 x'x^x'x^  ");
    commands.PresetKey(86, true);
    metron.Track().StepForward();
    commands.ShiftKey(false);
    EXPECT_EQ(Rhythm(), StoredDefault);
    commands.ShiftKey(true);
    EXPECT_EQ(Rhythm(), "8 x'x^x'x^  ");
    EXPECT_EQ(metron.Track().CurPos(), 1);
}

TEST_F(RhythmCommandsTest, SlotDoubleTapStoresTheRhythmOneCameFrom) {
    Play("8 xx xx xx xx");
    settings.Set("Rhithm", "sav65", "12 xxx xxx xxx xxx");
    commands.SlotKey(65, false);
    commands.SlotKey(65, true);
    EXPECT_EQ(settings.Stored("Rhithm", "sav65"), "8 xx xx xx xx  ");
    EXPECT_EQ(Rhythm(), "8 xx xx xx xx  ");
    EXPECT_EQ(settings.writeCount, 1);
}

TEST_F(RhythmCommandsTest, SlotDoubleTapWithoutATapFirstWipesNothing) {
    settings.Set("Rhithm", "sav76", "16 xxxx xxxx xxxx xxxx");
    commands.SlotKey(76, true);
    EXPECT_EQ(settings.Stored("Rhithm", "sav76"), "16 xxxx xxxx xxxx xxxx");
    EXPECT_EQ(settings.writeCount, 0);
    EXPECT_EQ(Rhythm(), StoredDefault);
}

TEST_F(RhythmCommandsTest, AThenSIsARecallOfSRememberingWhatARecalled) {
    settings.Set("Rhithm", "sav65", "12 xxx xxx xxx xxx");
    settings.Set("Rhithm", "sav83", "16 x'''x'''x'''x'''");
    commands.SlotKey(65, false);
    commands.SlotKey(83, false);
    EXPECT_EQ(Rhythm(), "16 x'''x'''x'''x'''  ");
    EXPECT_EQ(SavedRhythm, "12 xxx xxx xxx xxx  ");
    commands.SlotKey(83, true);
    EXPECT_EQ(settings.Stored("Rhithm", "sav83"), "12 xxx xxx xxx xxx  ");
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ");
}

TEST_F(RhythmCommandsTest, SaveThenOpenBringsTheSameRhythmBack) {
    Save(folder / "default.rtm");
    EXPECT_EQ(folder.Bytes("default.rtm"), "\"4 xxxx (xxxx xxxx xxxx xxxx)0  \"\r\n");
    EXPECT_FALSE(metron.Enable());
    const std::string text = "Intro 4 xxxx>8 x'x'x^x' (xxxx)3 +5 /faster/ x'x'  <coda";
    Play(text);
    const fs::path file = folder / "program.rtm";
    Save(file);
    commands.PresetKey(90, false);
    metron.Enable(true);
    Open(file);
    EXPECT_EQ(Rhythm(), Stored(text));
    EXPECT_EQ(metron.Track().FileRhithm(), Stored(text));
    EXPECT_FALSE(metron.Enable());
    EXPECT_TRUE(dialogs.messages.empty());
    // Both dialogs start at the file chosen last.
    EXPECT_EQ(dialogs.fileRequests, (std::vector<ScriptedDialogs::FileRequest>{
                                        {true, SaveOptions("")},
                                        {true, SaveOptions((folder / "default.rtm").string())},
                                        {false, OpenOptions(file.string())}}));
}

TEST_F(RhythmCommandsTest, SaveFailuresAreReportedAndLeaveNothingBehind) {
    folder.Put("plain", "not a folder");
    // A folder stands where the file should go: the new file cannot take its place.
    fs::create_directories(folder / "taken.rtm" / "inside");
    const std::pair<fs::path, std::string> cases[] = {
        {folder / "gone" / "take.rtm", "No such file or directory"},
        {folder / "plain" / "take.rtm", "Not a directory"},
        {folder / "taken.rtm", ""},
    };
    Play("8 xx xx xx xx");
    for (const auto& [file, reason] : cases) {
        dialogs.messages.clear();
        metron.Enable(true);
        Save(file);
        ExpectFileMessage(file, reason);
        EXPECT_EQ(Rhythm(), "8 xx xx xx xx  ");
        EXPECT_FALSE(metron.Enable());
    }
    EXPECT_EQ(folder.Names(), (std::set<std::string>{"plain", "taken.rtm"}));
    EXPECT_EQ(folder.Bytes("plain"), "not a folder");
    EXPECT_TRUE(fs::is_directory(folder / "taken.rtm" / "inside"));
}

TEST_F(RhythmCommandsTest, SaveIntoAnUnwritableFolderIsReportedAndKeepsTheOldFile) {
    const fs::path locked = folder / "locked";
    fs::create_directories(locked);
    folder.Put("locked/old.rtm", "\"8 xx xx xx xx  \"\r\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    Play("12 xxx xxx xxx xxx");
    if (::geteuid() != 0) {
        EXPECT_EQ(UnwritableSaveFaults(locked / "old.rtm"), "");
    } else {
        // Permissions do not bind root: the save runs in a child process as the user nobody.
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    std::_Exit(2);
                }
                const std::string faults = UnwritableSaveFaults(locked / "old.rtm");
                std::fputs(faults.c_str(), stderr);
                std::_Exit(faults.empty() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(RhythmCommandsTest, UnreadableFilesAreReportedAndChangeNothing) {
    folder.Put("keep.rtm", "\"8 x'x'x'x'\"\r\n");
    Open(folder / "keep.rtm");
    Play("12 xxx xxx xxx xxx");

    folder.Put("empty.rtm", "");
    const std::vector<std::pair<fs::path, std::string>> cases{
        {folder / "absent.rtm", "No such file or directory"},
        {folder / "empty.rtm", "the file is empty"},
        {folder.path, "it is not an ordinary file"}};
    for (const auto& [file, reason] : cases) {
        dialogs.messages.clear();
        metron.Enable(true);
        metron.Track().StepForward();
        const int32_t position = metron.Track().CurPos();
        Open(file);
        ExpectFileMessage(file, reason);
        EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ") << file;
        EXPECT_EQ(metron.Track().CurPos(), position) << file;
        EXPECT_FALSE(metron.Enable()) << file;
    }
    commands.ShiftKey(true);
    EXPECT_EQ(Rhythm(), "8 x'x'x'x'  ");
}

TEST_F(RhythmCommandsTest, FileWhoseRhythmFailsTheCheckIsReportedAndChangesNothing) {
    folder.Put("keep.rtm", "\"8 x'x'x'x'\"\r\n");
    Open(folder / "keep.rtm");
    Play("12 xxx xxx xxx xxx");
    metron.Track().StepForward();
    const int32_t position = metron.Track().CurPos();

    folder.Put("bad.rtm", "\"4 x\"\r\n");
    Open(folder / "bad.rtm");
    ExpectFileMessage(folder / "bad.rtm", "holds no valid rhythm");
    EXPECT_EQ(metron.Track().LastCheck(), 0);
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ");
    EXPECT_EQ(metron.Track().CurPos(), position);
    EXPECT_FALSE(metron.Enable());
    commands.ShiftKey(true);
    EXPECT_EQ(Rhythm(), "8 x'x'x'x'  ");
}

TEST_F(RhythmCommandsTest, EntryConfirmedWithAValidTextReplacesTheRhythm) {
    entryAnswer = [this] { RhythmEntryText = "8 xx xx xx xx"; };
    commands.EnterRhythm();
    EXPECT_EQ(shownEntryTexts, std::vector<std::string>{StoredDefault});
    EXPECT_EQ(enabledWhenEntryShown, std::vector<bool>{false});
    EXPECT_EQ(Rhythm(), "8 xx xx xx xx  ");
    EXPECT_FALSE(metron.Enable());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RhythmCommandsTest, EntryWithARejectedTextShowsErrorSyntaxAndKeepsTheRhythm) {
    Play("8 x'x'x'x'");
    entryAnswer = [this] { RhythmEntryText = "4 x"; };
    commands.EnterRhythm();
    EXPECT_EQ(dialogs.messages, (std::vector<ScriptedDialogs::Message>{
                                    {"Error Syntax", "Error", MessageIcon::Exclamation}}));
    EXPECT_EQ(Rhythm(), "8 x'x'x'x'  ");
    EXPECT_FALSE(metron.Enable());
}

TEST_F(RhythmCommandsTest, EntryClosedWithTheCloseBoxRestartsTheUnchangedRhythm) {
    Play("8 x'x'x'x'");
    metron.Track().StepForward();
    metron.Track().StepForward();
    ASSERT_NE(metron.Track().CurPos(), 1);
    commands.EnterRhythm();
    EXPECT_EQ(shownEntryTexts, std::vector<std::string>{"8 x'x'x'x'  "});
    EXPECT_EQ(Rhythm(), "8 x'x'x'x'  ");
    EXPECT_EQ(metron.Track().CurPos(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(metron.Enable());
}

} // namespace
