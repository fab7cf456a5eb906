// The built program as a player meets it: started on an X server of its own (Xvfb) with the
// private PulseAudio server's null sink as its sound card, played with key presses and clicks that
// go through the X server (xdotool), heard through the sink's monitor, and ended with the window's
// close box or by the system.
#include "ChildProcess.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "QtSettingsStore.h"
#include "XServer.h"
#include "fakes/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* Monitor = "pulsara_null.monitor";

class ProgramEndToEnd : public ::testing::Test {
protected:
    // The program, started in the folder "work" with a home and settings of its own; its window.
    std::string Start() { return Start(x); }
    std::string Start(const XServer& server) {
        fs::create_directories(home / "work");
        const fs::path started = fs::current_path();
        fs::current_path(home / "work");
        program = std::make_unique<ChildProcess>(
            std::vector<std::string>{PULSARA_PROGRAM},
            ChildProcess::Options{
                .environment = Environment(
                    {"DISPLAY=" + server.display, "HOME=" + home.path.string(),
                     "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=xcb"}),
                .errorFile = home / "pulsara.log"});
        fs::current_path(started);
        const std::string window = server.FindWindow("^Pulsara$", 30s);
        EXPECT_FALSE(window.empty())
            << "no window; the program said: " << home.Bytes("pulsara.log");
        return window;
    }

    // The program's settings file as the program left it.
    std::optional<std::string> Setting(const char* section, const char* key) const {
        return QtSettingsStore((home / "config/Pulsara/Pulsara.conf").string()).Find(section, key);
    }
    // The visible windows of that name.
    std::vector<std::string> Windows(const std::string& name) const {
        std::istringstream found(
            x.Xdotool({"search", "--onlyvisible", "--name", name}).value_or(""));
        return {std::istream_iterator<std::string>(found), {}};
    }
    // Waits up to five seconds for what the program writes in the background.
    static bool Eventually(const std::function<bool()>& condition) {
        for (const auto deadline = Clock::now() + 5s; Clock::now() < deadline;) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(50ms);
        }
        return condition();
    }
    static std::optional<std::string> MonitorMute() {
        return ChildProcess::Output({"pactl", "get-source-mute", Monitor});
    }

    TempFolder home;
    XServer x;
    std::unique_ptr<ChildProcess> program;
};

TEST_F(ProgramEndToEnd, SpacePlaysAndStopsAndTheCloseBoxEndsTheRunMutedWithTheTimeStored) {
    // Every program run leaves the microphone (the sink's monitor) muted or not as it found it,
    // and the tests that share the server run in any order: each one that records the monitor
    // unmutes it first.
    ASSERT_TRUE(ChildProcess::Output({"pactl", "set-source-mute", Monitor, "0"}));
    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start() && recorder.WaitForData(5s))
        << "no PulseAudio server: the test runs in its fixture";

    const auto spawned = Clock::now();
    const std::string window = Start();
    ASSERT_FALSE(window.empty());
    const auto windowUp = Clock::now();
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window}));
    // The sound output settles on the sink's timing in its first second.
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(x.Xdotool({"key", "space"}));
    std::this_thread::sleep_for(3200ms);
    ASSERT_TRUE(x.Xdotool({"key", "space"}));
    std::this_thread::sleep_for(2s);
    recorder.Stop();

    // The default rhythm at 120: a click every half second, 22050 samples at 44100 Hz. Every click
    // on its frame is the sound path's own test; here the clicks need only come at the beat, also
    // when the machine is so busy that the sound server runs dry for a moment.
    const std::vector<double> onsets = ClickOnsets::Find(recorder.Samples());
    ASSERT_GE(onsets.size(), 5u) << "Space did not start the beat";
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        EXPECT_NEAR(onsets[i] - onsets[i - 1], 22050.0, 661.5) << "after click " << i - 1;
    }
    const double silenceAtEnd = static_cast<double>(recorder.Samples().size()) - onsets.back();
    EXPECT_GT(silenceAtEnd, 1.5 * 44100) << "clicks went on after the second Space";

    const auto closing = Clock::now();
    ASSERT_TRUE(x.ClickCloseBox(window));
    ASSERT_TRUE(program->Ended(15s)) << "the close box did not end the program";
    EXPECT_TRUE(program->EndedCleanly());
    EXPECT_EQ(MonitorMute(), "Mute: no\n")
        << "the microphone (the sink's monitor) was not left as the program found it";
    // The practice time, in whole seconds, between the window's life and the program's.
    std::smatch total;
    const std::string settings = home.Bytes("config/Pulsara/Pulsara.conf");
    ASSERT_TRUE(std::regex_search(settings, total, std::regex(R"(\[Time\]\nTotalTime=(\d+))")))
        << settings;
    using std::chrono::seconds;
    const int stored = std::stoi(total[1]);
    EXPECT_GE(stored, std::chrono::duration_cast<seconds>(closing - windowUp).count() - 1);
    EXPECT_LE(stored, std::chrono::duration_cast<seconds>(Clock::now() - spawned).count() + 1);
}

// A double tap of A stores the rhythm in slot A; a click on the notice that says so undoes the
// store, and the settings file's slot is as it was (the menu's undo entry is the window's test).
// The microphone, muted when the program started, is unmuted while it runs and muted again when it
// ends; the window has its icon.
TEST_F(ProgramEndToEnd, ADoubleTapOfAThenUndoLeavesTheSettingsFilesSlotAsItWas) {
    ASSERT_TRUE(ChildProcess::Output({"pactl", "set-source-mute", Monitor, "1"}));
    fs::create_directories(home / "config/Pulsara");
    home.Put("config/Pulsara/Pulsara.conf", "[Rhithm]\nsav65=12 xxx xxx xxx xxx\n");
    const std::string window = Start();
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(MonitorMute(), "Mute: no\n");
    EXPECT_GE(std::ranges::count(x.IconSizes(window), std::pair{64, 64}), 1)
        << "no 64 × 64 icon in _NET_WM_ICON";

    const std::string played = "4 xxxx (xxxx xxxx xxxx xxxx)0  ";
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window, "key", "a", "a"}));
    ASSERT_TRUE(Eventually([&] { return Setting("Rhithm", "sav65") == played; }))
        << "the double tap stored nothing: " << home.Bytes("config/Pulsara/Pulsara.conf");
    // The notice lies across the window between the tempo and the time; a click on it undoes.
    ASSERT_TRUE(x.Xdotool({"mousemove", "--window", window, "134", "93", "click", "1"}));
    EXPECT_TRUE(Eventually([&] { return Setting("Rhithm", "sav65") == "12 xxx xxx xxx xxx"; }))
        << home.Bytes("config/Pulsara/Pulsara.conf");

    ASSERT_TRUE(x.ClickCloseBox(window));
    ASSERT_TRUE(program->Ended(15s)) << "the close box did not end the program";
    EXPECT_TRUE(program->EndedCleanly());
    EXPECT_EQ(MonitorMute(), "Mute: yes\n") << "the microphone was not muted again";
}

// An end asked for by the system (SIGTERM) is obeyed at once, also during the long measuring of an
// export and with the notebook open on a file that cannot take the notes, which are then kept in a
// recovery file beside the settings.
TEST_F(ProgramEndToEnd, AnEndAskedForBySigtermIsObeyedDuringAnExportWithTheNotesKept) {
    // The notebook's file cannot be written: a folder stands in its place.
    fs::create_directories(home / ".local/share/Pulsara/notebook.txt");
    const std::string window = Start();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window, "key", "F9"}));
    const std::string notebook = x.FindWindow("^Notebook$", 10s);
    ASSERT_FALSE(notebook.empty());
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", notebook, "type", "scales at 90"}));

    // Fifteen million rests, just within the limit: their measuring alone takes over a second.
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window, "key", "F4"}));
    const std::string entry = x.FindWindow("^Enter Rhithm$", 10s);
    ASSERT_FALSE(entry.empty());
    ASSERT_TRUE(x.Xdotool(
        {"windowfocus", "--sync", entry, "key", "ctrl+a", "type", "4 ((((.)99)99)99)16 xx"}));
    ASSERT_TRUE(x.Xdotool({"key", "Return"}));
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window, "key", "F11"}));
    const std::string dialog = x.FindWindow("^Export to Wave$", 10s);
    ASSERT_FALSE(dialog.empty());
    ASSERT_TRUE(
        x.Xdotool({"windowfocus", "--sync", dialog, "type", (home / "work/take.wav").string()}));
    ASSERT_TRUE(x.Xdotool({"key", "Return"}));
    std::this_thread::sleep_for(300ms);
    ASSERT_FALSE(program->Ended(0ms)) << "the export ended too soon to be interrupted";

    ::kill(program->Pid(), SIGTERM);
    ASSERT_TRUE(program->Ended(3s)) << "SIGTERM during the export did not end the program";
    EXPECT_TRUE(program->EndedCleanly());
    EXPECT_TRUE(fs::is_empty(home / "work")) << "the export or something beside it was left";
    EXPECT_EQ(home.Bytes("config/Pulsara/notebook-recovered.txt"), "\"scales at 90\"\r\n");
}

// Notes being typed are in a draft on disk within a couple of seconds, which the next start keeps
// and names when the display dies before the notebook is closed; the notebook's own file stays as
// it was. Untouched notes and the draft's timing are the notebook window's own tests.
TEST_F(ProgramEndToEnd, TypedNotesOutliveTheDisplay) {
    const std::string notes = "\"na\xC3\xAFve \xE9\xC2\xA0x\r\ny\xE2\x80\xA8z\xE2\x80\xA9w\"\r\n";
    fs::create_directories(home / ".local/share/Pulsara");
    home.Put(".local/share/Pulsara/notebook.txt", notes);
    const std::string window = Start();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", window, "key", "F9"}));
    ASSERT_TRUE(
        x.Xdotool({"windowfocus", "--sync", x.FindWindow("^Notebook$", 10s), "type", "typed "}));
    const std::string typed = "\"typed " + notes.substr(1);
    const std::string draft =
        "config/Pulsara/notebook-draft-" + std::to_string(program->Pid()) + ".txt";
    EXPECT_TRUE(Eventually([&] { return home.Bytes(draft) == typed; })) << home.Bytes(draft);

    x.Stop();
    ASSERT_TRUE(program->Ended(10s)) << "the program outlived its display";
    EXPECT_EQ(home.Bytes(".local/share/Pulsara/notebook.txt"), notes);
    XServer again;
    ASSERT_FALSE(Start(again).empty());
    EXPECT_EQ(home.Bytes("config/Pulsara/notebook-recovered.txt"), typed);
    EXPECT_NE(home.Bytes("pulsara.log").find("notebook-recovered.txt"), std::string::npos);
}

// A settings file that cannot be written is said at once, well before the first write (the
// practice clock's checkpoint), while the player can act on it. An end asked for then is obeyed
// with the message still open, a close with the close box brings up no message that keeps the
// program alive, and the loss is said on stderr.
TEST_F(ProgramEndToEnd, ASettingsFileThatCannotBeWrittenNeverKeepsTheProgramAlive) {
    fs::create_directories(home / "config/Pulsara/Pulsara.conf");
    for (const bool bySignal : {true, false}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "close box");
        ASSERT_FALSE(Start().empty());
        EXPECT_TRUE(Eventually([&] { return Windows("^Pulsara$").size() == 2; }));
        if (bySignal) {
            ::kill(program->Pid(), SIGTERM);
        } else {
            ASSERT_TRUE(x.Xdotool({"key", "Return"})); // the notice is answered
            ASSERT_TRUE(Eventually([&] { return Windows("^Pulsara$").size() == 1; }));
            ASSERT_TRUE(x.ClickCloseBox(Windows("^Pulsara$").front()));
        }
        ASSERT_TRUE(program->Ended(5s)) << "the program was kept alive";
        EXPECT_TRUE(program->EndedCleanly());
        const std::string said = home.Bytes("pulsara.log");
        EXPECT_NE(said.find("cannot be written"), std::string::npos) << said;
        EXPECT_NE(said.find("could not be written: the practice time of this run"),
                  std::string::npos);
    }
}

} // namespace
