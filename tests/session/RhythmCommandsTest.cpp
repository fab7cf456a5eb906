#include "SessionFixture.h"
#include "fakes/TempFolder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class RhythmCommandsTest : public SessionFixture {
protected:
    void SetUp() override {
        SessionFixture::SetUp();
        commands = session->RhythmKeys.get();
    }

    void Play(const std::string& text) {
        metron->Track().Rhithm(text);
        metron->Enable(true);
    }
    void Save(const fs::path& file) {
        dialogs.answers.push_back(file.string());
        commands->SaveRhythmFile();
    }
    void Open(const fs::path& file) {
        dialogs.answers.push_back(file.string());
        commands->OpenRhythmFile();
    }

    // What went wrong with one failed file command: empty when the player was told, naming the
    // file and the reason, and the rhythm stayed as it was with the beat stopped. It reports rather
    // than asserts so that a child process can run it.
    std::string FailureFaults(const fs::path& file, const std::string& reason) {
        std::string faults;
        const auto& shown = dialogs.messages;
        if (shown.size() != 1 ||
            shown[0].text.find("\"" + file.string() + "\"") == std::string::npos ||
            shown[0].text.find(reason) == std::string::npos ||
            shown[0].title != "Pulsara - Rhithm file" || shown[0].icon != MessageIcon::Error) {
            faults += file.string() + ": no message naming the file and " + reason + "; ";
        }
        if (Rhythm() != "8 xx xx xx xx  " || metron->Enable()) {
            faults += file.string() + ": the rhythm changed or the beat runs; ";
        }
        dialogs.messages.clear();
        return faults;
    }

    TempFolder folder;
    RhythmCommands* commands = nullptr;
};

// A tap recalls a slot, a double tap stores the rhythm one came from and says so, and its undo
// puts the slot back in the settings as it was: the old text, or no entry at all. A third quick tap
// keeps the undo going back to before the first store.
TEST_F(RhythmCommandsTest, SlotTapRecallsAndDoubleTapStoresTheRhythmOneCameFrom) {
    // A double tap without a tap first has nothing to store and wipes nothing.
    commands->SlotKey(76, true);
    EXPECT_EQ(settings.writeCount, 0);
    settings.Set("Rhithm", "sav65", "12 xxx xxx xxx xxx");
    settings.Set("Rhithm", "sav83", "16 x'''x'''x'''x'''");
    Play("8 xx xx xx xx");
    commands->SlotKey(65, false);
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ");
    // A then S: a recall of S that still remembers what A recalled.
    commands->SlotKey(83, false);
    EXPECT_EQ(Rhythm(), "16 x'''x'''x'''x'''  ");
    commands->SlotKey(83, true);
    commands->SlotKey(83, true);
    EXPECT_EQ(settings.Stored("Rhithm", "sav83"), "12 xxx xxx xxx xxx  ");
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ");
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Stored in slot S", true}));
    EXPECT_EQ(feedback->UndoLabel(), "Undo: slot S stored");
    EXPECT_TRUE(feedback->Undo());
    EXPECT_EQ(settings.Stored("Rhithm", "sav83"), "16 x'''x'''x'''x'''");
    EXPECT_EQ(feedback->Last(), (CommandFeedback::Notice{"Undone: slot S stored", false}));
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ") << "the rhythm in effect is not touched";

    commands->SlotKey(76, false);
    commands->SlotKey(76, true);
    EXPECT_EQ(settings.Stored("Rhithm", "sav76"), "12 xxx xxx xxx xxx  ");
    feedback->Undo();
    EXPECT_EQ(settings.Stored("Rhithm", "sav76"), std::nullopt);
    // A slot whose text the engine refuses leaves the rhythm, and where it came from, as they are.
    settings.Set("Rhithm", "sav68", "4 (x");
    commands->SlotKey(68, false);
    EXPECT_EQ(Rhythm(), "12 xxx xxx xxx xxx  ");
    EXPECT_EQ(commands->Source().Text(), "slot L");
}

// The file's bytes and the position a file rhythm comes back at are tested with the rhythm file.
TEST_F(RhythmCommandsTest, SaveThenOpenBringsTheSameRhythmBackAndShiftTwiceReturnsToIt) {
    const fs::path file = folder / "program.rtm";
    Play("Intro 4 xxxx>8 x'x'x^x' (xxxx)3 +5 /faster/ x'x'  <coda");
    const std::string played = Rhythm();
    Save(file);
    EXPECT_FALSE(metron->Enable());
    Play("8 x'x'x'x'");
    Open(file);
    EXPECT_EQ(Rhythm(), played);
    EXPECT_FALSE(metron->Enable());
    commands->ShiftKey(false);
    EXPECT_EQ(Rhythm(), "4 xxxx (xxxx xxxx xxxx xxxx)0  ");
    commands->ShiftKey(true);
    EXPECT_EQ(Rhythm(), played);
    EXPECT_TRUE(dialogs.messages.empty());
    // The open dialog starts at the file chosen last.
    ASSERT_EQ(dialogs.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs.fileRequests[1].options.initialName, file.string());
}

// Every way a save or an open can fail, as a user who may not write everywhere meets it:
// reported, the folder as it was, the old file untouched, nothing half-written left beside it, a
// failed open leaving the cursor where it was and the last file rhythm the one read well.
TEST_F(RhythmCommandsTest, FailedSavesAndOpensAreReportedAndChangeNothing) {
    folder.Put("plain", "not a folder");
    folder.Put("keep.rtm", "\"8 x'x'x'x'\"\r\n");
    folder.Put("bad.rtm", "\"4 x\"\r\n");
    fs::create_directories(folder / "locked");
    folder.Put("locked/old.rtm", "\"4 xxxx\"\r\n");
    fs::permissions(folder / "locked",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_EQ(::mkfifo((folder / "pipe.rtm").c_str(), 0600), 0);
    Open(folder / "keep.rtm");
    const struct {
        bool save;
        fs::path file;
        const char* reason;
    } cases[] = {
        {true, folder / "gone" / "take.rtm", "No such file or directory"},
        {true, folder / "plain" / "take.rtm", "Not a directory"},
        {true, folder / "locked" / "old.rtm", "Permission denied"},
        {true, folder / "pipe.rtm", "it is not an ordinary file"},
        {false, folder / "absent.rtm", "No such file or directory"},
        {false, folder / "bad.rtm", "holds no valid rhythm"},
    };
    const auto faults = [&] {
        std::string found;
        for (const auto& c : cases) {
            Play("8 xx xx xx xx");
            metron->Track().StepForward();
            const int32_t position = metron->Track().CurPos();
            c.save ? Save(c.file) : Open(c.file);
            found += FailureFaults(c.file, c.reason);
            if (!c.save && metron->Track().CurPos() != position) {
                found += c.file.string() + ": the cursor moved; ";
            }
        }
        if (folder.Names() !=
                std::set<std::string>{"plain", "keep.rtm", "bad.rtm", "locked", "pipe.rtm"} ||
            folder.Bytes("locked/old.rtm") != "\"4 xxxx\"\r\n" ||
            std::distance(fs::directory_iterator(folder / "locked"), {}) != 1) {
            found += "the folder changed; ";
        }
        commands->ShiftKey(true);
        return Rhythm() == "8 x'x'x'x'  " ? found : found + "the last file rhythm was lost";
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(faults(), "");
    } else {
        // Permissions do not bind root: the saves run in a child process as the user nobody.
        EXPECT_EXIT(
            {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                    std::_Exit(2);
                }
                const std::string found = faults();
                std::fputs(found.c_str(), stderr);
                std::_Exit(found.empty() ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }
    fs::permissions(folder / "locked", fs::perms::owner_all);
}

// A text taken, or the dialog closed at once, starts the rhythm anew with the beat stopped. A text
// that fails the check comes back in the dialog for mending, as often as it fails, with "Error
// Syntax" and one line of what is wrong; a close then keeps the old rhythm.
TEST_F(RhythmCommandsTest, EntryTakesAValidTextAndBringsARejectedOneBackToBeMended) {
    for (const auto& [answers, rhythm] :
         {std::pair{std::deque<std::string>{"8 xx xx xx xx"}, "8 xx xx xx xx  "},
          {std::deque<std::string>{}, "8 x'x'x'x'  "}}) {
        Play("8 x'x'x'x'");
        metron->Track().StepForward();
        view.entryAnswers = answers;
        commands->EnterRhythm();
        EXPECT_EQ(Rhythm(), rhythm);
        EXPECT_FALSE(metron->Enable());
        EXPECT_EQ(metron->Track().CurPos(), 1) << rhythm;
    }
    EXPECT_TRUE(dialogs.messages.empty());

    view.shownEntryTexts.clear();
    view.entryAnswers = {"4 (xx", "4 x", "4 (xx) "};
    commands->EnterRhythm();
    EXPECT_EQ(view.shownEntryTexts, (std::vector<std::string>{"8 x'x'x'x'  ", "4 (xx", "4 x"}));
    EXPECT_EQ(Rhythm(), "4 (xx)   ");
    const std::vector<ScriptedDialogs::Message> told{
        {"Error Syntax\nUnbalanced groups: 1 \"(\" but 0 \")\".", "Error",
         MessageIcon::Exclamation},
        {"Error Syntax\nNo sound before the last character: a blank after the last sound mends it.",
         "Error", MessageIcon::Exclamation}};
    EXPECT_EQ(dialogs.messages, told);

    // Closed without OK on the second round: the rejected text is dropped and nothing more is
    // said.
    view.shownEntryTexts.clear();
    dialogs.messages.clear();
    view.entryAnswers = {"4 ()x "};
    commands->EnterRhythm();
    EXPECT_EQ(view.shownEntryTexts, (std::vector<std::string>{"4 (xx)   ", "4 ()x "}));
    EXPECT_EQ(Rhythm(), "4 (xx)   ");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Error Syntax\nA group with no step: the group at character 3 holds no x, X, #, ', ^ "
              "or \".\".");
}

} // namespace
