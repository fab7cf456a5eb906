// The built program as a player meets it: started on an X server of its own (Xvfb) with the
// private PulseAudio server's null sink as its sound card, played with key presses that go through
// the X server (xdotool), heard through the sink's monitor, and closed with the window's close box.
#include "ChildProcess.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "XServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
// Last: Xlib defines names such as Status and None as macros.
#include <X11/Xlib.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* Monitor = "pulsara_null.monitor";

struct Outcome {
    bool ok = false;
    std::string output;
};

// Runs a command to its end (at most ten seconds) and returns what it printed.
Outcome RunCommand(std::vector<std::string> arguments,
                   const std::vector<std::string>& environment) {
    ChildProcess::Options options;
    options.environment = environment;
    options.catchOutput = true;
    ChildProcess command(std::move(arguments), options);
    Outcome outcome;
    outcome.output = command.ReadOutput(10s);
    outcome.ok = command.Ended(10s) && command.EndedCleanly();
    return outcome;
}

// The source's mute switch as pactl reports it.
std::optional<bool> SourceMuted(const std::vector<std::string>& environment) {
    const Outcome answer = RunCommand({"pactl", "get-source-mute", Monitor}, environment);
    if (!answer.ok) {
        return std::nullopt;
    }
    if (answer.output.find("Mute: yes") != std::string::npos) {
        return true;
    }
    if (answer.output.find("Mute: no") != std::string::npos) {
        return false;
    }
    return std::nullopt;
}

// Other tests record the monitor after this one: whatever happens here, it ends unmuted.
class UnmuteAtEnd {
public:
    ~UnmuteAtEnd() { RunCommand({"pactl", "set-source-mute", Monitor, "0"}, Environment({})); }
};

// What a window manager does when its close box is clicked: ask the window to close through the
// WM_DELETE_WINDOW protocol.
bool ClickCloseBox(const std::string& display, unsigned long window) {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return false;
    }
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(connection, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(connection, window, False, NoEventMask, &event);
    XSync(connection, False);
    XCloseDisplay(connection);
    return sent != 0;
}

// A value of the program's settings file (an INI file) in the given section.
std::optional<std::string> SettingsValue(const fs::path& file, const std::string& section,
                                         const std::string& key) {
    std::ifstream in(file);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
        } else if (inSection && line.compare(0, key.size() + 1, key + "=") == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return std::nullopt;
}

// The first visible window whose name matches, within the time given; empty when none came.
std::string FindWindow(const std::string& name, const std::vector<std::string>& desktop,
                       std::chrono::milliseconds wait) {
    std::string window;
    for (auto deadline = Clock::now() + wait; window.empty() && Clock::now() < deadline;) {
        std::istringstream found(
            RunCommand({"xdotool", "search", "--onlyvisible", "--name", name}, desktop).output);
        found >> window;
    }
    return window;
}

class ProgramEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        home = fs::temp_directory_path() / ("pulsara-e2e-" + std::to_string(getpid()));
        fs::remove_all(home);
        fs::create_directories(home / "config");
    }
    void TearDown() override {
        if (!HasFailure()) {
            fs::remove_all(home);
        }
    }

    fs::path home;
};

TEST_F(ProgramEndToEnd, SpacePlaysAndStopsAndTheCloseBoxEndsTheRunMutedWithTheTimeStored) {
    const std::vector<std::string> server = Environment({});
    ASSERT_TRUE(RunCommand({"pactl", "info"}, server).ok)
        << "no PulseAudio server: the test runs inside the null-sink fixture";
    const UnmuteAtEnd unmute;
    // The microphone (the default source) comes muted from an earlier run.
    ASSERT_TRUE(RunCommand({"pactl", "set-source-mute", Monitor, "1"}, server).ok);

    XServer x;
    ASSERT_FALSE(x.display.empty()) << "Xvfb did not start";
    const std::vector<std::string> desktop = Environment({"DISPLAY=" + x.display});

    MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(recorder.WaitForData(5s));

    ChildProcess::Options programOptions;
    programOptions.environment =
        Environment({"DISPLAY=" + x.display, "HOME=" + home.string(),
                     "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=xcb"});
    programOptions.errorFile = home / "pulsara.log";
    const auto spawned = Clock::now();
    ChildProcess program({PULSARA_PROGRAM}, programOptions);
    ASSERT_TRUE(program.Started());

    // The window, once it is mapped.
    std::string window;
    for (auto deadline = Clock::now() + 30s; window.empty() && Clock::now() < deadline;) {
        std::istringstream found(
            RunCommand({"xdotool", "search", "--onlyvisible", "--name", "^Pulsara$"}, desktop)
                .output);
        found >> window;
        if (window.empty()) {
            ASSERT_FALSE(program.Ended(100ms)) << "the program ended at start";
        }
    }
    ASSERT_FALSE(window.empty()) << "no window named Pulsara appeared; see "
                                 << programOptions.errorFile->string();
    const auto windowUp = Clock::now();

    // Loading the window unmutes the microphone.
    std::optional<bool> muted;
    for (auto deadline = Clock::now() + 10s; muted != false && Clock::now() < deadline;) {
        muted = SourceMuted(server);
    }
    ASSERT_EQ(muted, false) << "the program did not unmute the microphone";

    ASSERT_TRUE(RunCommand({"xdotool", "windowfocus", "--sync", window}, desktop).ok);
    // The sound output settles on the sink's timing in its first second.
    std::this_thread::sleep_for(1500ms);

    ASSERT_TRUE(RunCommand({"xdotool", "key", "space"}, desktop).ok);
    const auto started = Clock::now();
    std::this_thread::sleep_for(3200ms);
    ASSERT_TRUE(RunCommand({"xdotool", "key", "space"}, desktop).ok);
    const double playedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::this_thread::sleep_for(2s);
    recorder.Stop();

    const std::vector<double> onsets = ClickOnsets::Find(recorder.Samples());
    ASSERT_GE(onsets.size(), 5u) << "Space did not start the beat";
    // The default rhythm at 120: a click every half second, 22050 samples at 44100 Hz.
    const auto expectedClicks = static_cast<std::size_t>(playedSeconds / 0.5);
    EXPECT_GE(onsets.size() + 1, expectedClicks);
    EXPECT_LE(onsets.size(), expectedClicks + 2);
    const ClickOnsets::Timing timing = ClickOnsets::Measure(onsets);
    std::printf("%zu clicks in %.2f s of play, mean interval %.2f samples, largest deviation %.2f; "
                "the monitor recorded %.1f samples per second of system time\n",
                onsets.size(), playedSeconds, timing.meanInterval, timing.maxDeviation,
                recorder.SamplesPerSecond());
    // Every click on its frame is the sound path's own test; here the clicks need only come at
    // the beat, also when the machine is so busy that the sound server runs dry for a moment.
    EXPECT_NEAR(timing.meanInterval, 22050.0, 22.05 * 4);
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        EXPECT_NEAR(onsets[i] - onsets[i - 1], 22050.0, 661.5)
            << "between clicks " << i - 1 << " and " << i;
    }
    // The second Space stopped them: the recording ends in silence longer than a beat.
    const double silenceAtEnd = static_cast<double>(recorder.Samples().size()) - onsets.back();
    EXPECT_GT(silenceAtEnd, 1.5 * 44100) << "clicks went on after the second Space";

    // The close box.
    const auto closing = Clock::now();
    ASSERT_TRUE(ClickCloseBox(x.display, std::stoul(window)));
    ASSERT_TRUE(program.Ended(15s)) << "the close box did not end the program";
    EXPECT_TRUE(program.EndedCleanly());

    EXPECT_EQ(SourceMuted(server), true) << "the microphone was left open";

    const fs::path settings = home / "config" / "Pulsara" / "Pulsara.conf";
    const std::optional<std::string> total = SettingsValue(settings, "Time", "TotalTime");
    ASSERT_TRUE(total.has_value()) << "no practice time in " << settings;
    const int storedSeconds = std::stoi(*total);
    const double atLeast = std::chrono::duration<double>(closing - windowUp).count();
    const double atMost = std::chrono::duration<double>(Clock::now() - spawned).count();
    EXPECT_GE(storedSeconds, static_cast<int>(atLeast) - 1);
    EXPECT_LE(storedSeconds, static_cast<int>(atMost) + 1);
}

} // namespace

namespace {

// An end asked for by the system (SIGTERM) is obeyed at once in every state: with a rhythm whose
// pass has more steps than 32 bits hold refused at F11 within moments, during the long measuring
// of another export, and with the notebook open on a file that cannot take the notes, which are
// then kept in a recovery file beside the settings.
TEST_F(ProgramEndToEnd, AnEndAskedForBySigtermIsObeyedDuringAnExportWithTheNotesKept) {
    XServer x;
    ASSERT_FALSE(x.display.empty()) << "Xvfb did not start";
    const std::vector<std::string> desktop = Environment({"DISPLAY=" + x.display});
    const auto keys = [&](const std::vector<std::string>& sequence) {
        std::vector<std::string> command{"xdotool"};
        command.insert(command.end(), sequence.begin(), sequence.end());
        return RunCommand(command, desktop).ok;
    };
    // The notebook's file cannot be written: a folder stands in its place.
    fs::create_directories(home / ".local" / "share" / "Pulsara" / "notebook.txt");
    fs::create_directories(home / "work");
    const fs::path take = home / "work" / "take.wav";

    ChildProcess::Options options;
    options.environment =
        Environment({"DISPLAY=" + x.display, "HOME=" + home.string(),
                     "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=xcb"});
    options.errorFile = home / "pulsara.log";
    const fs::path started = fs::current_path();
    fs::current_path(home / "work");
    ChildProcess program({PULSARA_PROGRAM}, options);
    fs::current_path(started);
    const std::string window = FindWindow("^Pulsara$", desktop, 30s);
    ASSERT_FALSE(window.empty()) << "no window; the program said: " << [&] {
        std::ifstream log(*options.errorFile);
        return std::string(std::istreambuf_iterator<char>(log), {});
    }();

    ASSERT_TRUE(keys({"windowfocus", "--sync", window, "key", "F9"}));
    ASSERT_FALSE(FindWindow("^Notebook$", desktop, 10s).empty());
    const auto exportRhythm = [&](const std::string& rhythm) {
        ASSERT_TRUE(keys({"windowfocus", "--sync", window, "key", "F4"}));
        const std::string entry = FindWindow("^Enter Rhithm$", desktop, 10s);
        ASSERT_FALSE(entry.empty());
        ASSERT_TRUE(keys({"windowfocus", "--sync", entry, "key", "ctrl+a", "type", rhythm}));
        ASSERT_TRUE(keys({"key", "Return"}));
        ASSERT_TRUE(keys({"windowfocus", "--sync", window, "key", "F11"}));
        const std::string dialog = FindWindow("^Export to Wave$", desktop, 10s);
        ASSERT_FALSE(dialog.empty());
        ASSERT_TRUE(keys({"windowfocus", "--sync", dialog, "type", take.string()}));
        ASSERT_TRUE(keys({"key", "Return"}));
    };

    ASSERT_NO_FATAL_FAILURE(exportRhythm("4 ((((((((.)99)99)99)99)99)99)99)99 xx"));
    const std::string refusal = FindWindow("^Pulsara - Export to Wave$", desktop, 3s);
    ASSERT_FALSE(refusal.empty()) << "the runaway pass was not refused at once";
    ASSERT_TRUE(keys({"windowfocus", "--sync", refusal, "key", "Return"}));

    // Fifteen million rests, just within the limit: their measuring alone takes over a second.
    ASSERT_NO_FATAL_FAILURE(exportRhythm("4 ((((.)99)99)99)16 xx"));
    std::this_thread::sleep_for(300ms);
    ASSERT_FALSE(program.Ended(0ms)) << "the export ended too soon to be interrupted";
    ::kill(program.Pid(), SIGTERM);
    ASSERT_TRUE(program.Ended(3s)) << "SIGTERM during the export did not end the program";
    EXPECT_TRUE(program.EndedCleanly());
    EXPECT_FALSE(fs::exists(take));
    EXPECT_EQ(std::distance(fs::directory_iterator(home / "work"), {}), 0)
        << "something was left beside the export";
    EXPECT_TRUE(fs::exists(home / "config" / "Pulsara" / "notebook-recovered.txt"));
}

} // namespace
