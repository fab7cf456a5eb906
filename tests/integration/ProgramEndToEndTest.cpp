// The built program as a player meets it: started on an X server of its own (Xvfb) with the
// private PulseAudio server's null sink as its sound card, played with key presses that go through
// the X server (xdotool), heard through the sink's monitor, and closed with the window's close box.
#include "ClickOnsets.h"
#include "MonitorRecorder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
// Last: Xlib defines names such as Status and None as macros.
#include <X11/Xlib.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* Monitor = "pulsara_null.monitor";

// The environment of this process with some variables replaced or added.
std::vector<std::string> Environment(const std::vector<std::string>& overrides) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        const bool replaced = std::any_of(overrides.begin(), overrides.end(), [&](const auto& o) {
            return o.compare(0, name.size() + 1, name + "=") == 0;
        });
        if (!replaced) {
            result.push_back(variable);
        }
    }
    result.insert(result.end(), overrides.begin(), overrides.end());
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// A child process, ended (SIGTERM, then SIGKILL) when the object goes unless it ended before.
// Its standard output can be caught through a pipe, its standard error goes to a file, and one
// more pipe end can be handed to it as a given descriptor.
class Process {
public:
    struct Options {
        std::vector<std::string> environment = Environment({});
        bool catchOutput = false;
        std::optional<fs::path> errorFile;
        int passFd = -1;   // this end of a pipe ...
        int passFdAs = -1; // ... becomes this descriptor in the child
    };

    Process(std::vector<std::string> arguments, Options options) {
        std::array<int, 2> out{-1, -1};
        if (options.catchOutput && pipe(out.data()) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (options.catchOutput) {
            posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
            posix_spawn_file_actions_addclose(&actions, out[0]);
            posix_spawn_file_actions_addclose(&actions, out[1]);
        }
        if (options.errorFile) {
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, options.errorFile->c_str(),
                                             O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        if (options.passFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, options.passFd, options.passFdAs);
        }
        std::vector<char*> argv = Pointers(arguments);
        std::vector<char*> envp = Pointers(options.environment);
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (options.catchOutput) {
            close(out[1]);
            output = out[0];
        }
    }
    ~Process() {
        if (pid > 0 && !Ended(0ms)) {
            kill(pid, SIGTERM);
            if (!Ended(5s)) {
                kill(pid, SIGKILL);
                Ended(5s);
            }
        }
        if (output >= 0) {
            close(output);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return pid > 0; }

    // True once the child has ended within the time given; its status is then kept.
    bool Ended(std::chrono::milliseconds wait) {
        if (status || pid <= 0) {
            return true;
        }
        const auto deadline = Clock::now() + wait;
        do {
            int raw = 0;
            if (waitpid(pid, &raw, WNOHANG) == pid) {
                status = raw;
                return true;
            }
            std::this_thread::sleep_for(5ms);
        } while (Clock::now() < deadline);
        return false;
    }
    bool EndedCleanly() const { return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0; }

    // Everything the child writes to its standard output until it closes it, within the time.
    std::string ReadOutput(std::chrono::milliseconds wait) {
        std::string text;
        const auto deadline = Clock::now() + wait;
        while (output >= 0 && Clock::now() < deadline) {
            pollfd ready{output, POLLIN, 0};
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (poll(&ready, 1, static_cast<int>(std::max<int64_t>(left.count(), 0))) <= 0) {
                break;
            }
            std::array<char, 512> block{};
            const ssize_t got = read(output, block.data(), block.size());
            if (got <= 0) {
                break;
            }
            text.append(block.data(), static_cast<std::size_t>(got));
        }
        return text;
    }

    std::optional<int> status;

private:
    pid_t pid = -1;
    int output = -1;
};

struct Outcome {
    bool ok = false;
    std::string output;
};

// Runs a command to its end (at most ten seconds) and returns what it printed.
Outcome RunCommand(std::vector<std::string> arguments,
                   const std::vector<std::string>& environment) {
    Process::Options options;
    options.environment = environment;
    options.catchOutput = true;
    Process command(std::move(arguments), options);
    Outcome outcome;
    outcome.output = command.ReadOutput(10s);
    outcome.ok = command.Ended(10s) && command.EndedCleanly();
    return outcome;
}

// The X server of this test, on a display number it picks itself among the free ones.
class XServer {
public:
    XServer() {
        std::array<int, 2> ends{-1, -1};
        if (pipe(ends.data()) != 0) {
            return;
        }
        Process::Options options;
        options.passFd = ends[1];
        options.passFdAs = 3;
        server = std::make_unique<Process>(std::vector<std::string>{"Xvfb", "-displayfd", "3",
                                                                    "-screen", "0", "1024x768x24",
                                                                    "-nolisten", "tcp"},
                                           options);
        close(ends[1]);
        std::string number;
        const auto deadline = Clock::now() + 20s;
        while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
            pollfd ready{ends[0], POLLIN, 0};
            if (poll(&ready, 1, 100) > 0) {
                std::array<char, 32> block{};
                const ssize_t got = read(ends[0], block.data(), block.size());
                if (got <= 0) {
                    break;
                }
                number.append(block.data(), static_cast<std::size_t>(got));
            }
        }
        close(ends[0]);
        if (number.find('\n') != std::string::npos) {
            display = ":" + number.substr(0, number.find('\n'));
        }
    }

    std::string display;

private:
    std::unique_ptr<Process> server;
};

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

    Process::Options programOptions;
    programOptions.environment =
        Environment({"DISPLAY=" + x.display, "HOME=" + home.string(),
                     "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=xcb"});
    programOptions.errorFile = home / "pulsara.log";
    const auto spawned = Clock::now();
    Process program({PULSARA_PROGRAM}, programOptions);
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
    EXPECT_NEAR(timing.meanInterval, 22050.0, 22.05);
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        EXPECT_NEAR(onsets[i] - onsets[i - 1], 22050.0, 44.1)
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
