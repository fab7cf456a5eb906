// The whole program as a user meets it. Starts a private PulseAudio server on a null sink (the
// fixture script of the tests) and an X server of its own (Xvfb, keeping its screen in a file),
// runs the real program there and:
//  - reads the kernel's accounting of every thread of it over a stretch with the window open and
//    the beat off, and over stretches of playing the default rhythm at 120 (started with Space,
//    sent by xdotool), on an idle machine and with two busy loops: the share of one core, and
//    each thread's wake-ups per second;
//  - records the sink's monitor (parec at 2 ms) and watches the pendulum's bob on the screen file
//    every half millisecond: the time from Space to the first click heard, every interval's
//    distance from the exact grid, for every beat how long after the pendulum moved its click
//    was heard (sound minus picture), and how long after the stopping Space a click still
//    started;
//  - asks the program to end with SIGTERM and checks that it stored the practice time.
// Where GTick (Debian package gtick), another metronome, is installed, it is run the same way in
// the same run, at 120, started and stopped with a click on its button.
//
// Targets: at most 0.5 % of one core playing and 0.1 % idle; first click at most 20 ms after
// Space; no interval more than 1 sample off; sound minus picture within 5 ms; no click starting
// more than 5 ms after the stopping Space.
//
// Run from the build folder:  bin/pulsara_bench_program [seconds per stretch, default 60]

#include "ChildProcess.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "PrivateAudioServer.h"
#include "XServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using SteadyTime = std::chrono::steady_clock::time_point;

struct ThreadUse {
    std::string name;
    double cpuSeconds = 0;
    long voluntarySwitches = 0;
};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Time on a CPU from the scheduler's own accounting, to the nanosecond.
std::map<int, ThreadUse> ReadThreads(pid_t pid) {
    std::map<int, ThreadUse> threads;
    std::error_code error;
    for (const auto& entry :
         fs::directory_iterator(fs::path("/proc") / std::to_string(pid) / "task", error)) {
        ThreadUse use;
        use.name = ReadFile(entry.path() / "comm");
        if (!use.name.empty() && use.name.back() == '\n') {
            use.name.pop_back();
        }
        std::istringstream schedstat(ReadFile(entry.path() / "schedstat"));
        long long runNs = 0;
        schedstat >> runNs;
        use.cpuSeconds = static_cast<double>(runNs) / 1e9;
        const std::string status = ReadFile(entry.path() / "status");
        const auto at = status.find("\nvoluntary_ctxt_switches:");
        if (at != std::string::npos) {
            use.voluntarySwitches = std::stol(status.substr(at + 25));
        }
        threads[std::stoi(entry.path().filename().string())] = use;
    }
    return threads;
}

void MeasureCpu(const char* title, pid_t pid, std::chrono::seconds length) {
    const auto before = ReadThreads(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(length);
    const auto after = ReadThreads(pid);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    double total = 0;
    std::vector<std::string> lines;
    for (const auto& [tid, use] : after) {
        const auto was = before.find(tid);
        double cpu = use.cpuSeconds;
        long switches = use.voluntarySwitches;
        if (was != before.end()) {
            cpu -= was->second.cpuSeconds;
            switches -= was->second.voluntarySwitches;
        }
        total += 100 * cpu / seconds;
        if (switches > 0) {
            char line[160];
            std::snprintf(line, sizeof line, "    thread %-16s %6.3f %%  %7.1f wake-ups/s",
                          use.name.c_str(), 100 * cpu / seconds,
                          static_cast<double>(switches) / seconds);
            lines.emplace_back(line);
        }
    }
    std::printf("%s: %.2f %% of one core\n", title, total);
    for (const auto& line : lines) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
}

std::string Run(std::vector<std::string> arguments) {
    return ChildProcess::Output(std::move(arguments), Environment({}), 20s).value_or("");
}

// The window's top-left corner on the screen, once it is shown.
std::optional<std::pair<int, int>> WindowCorner() {
    std::string id = Run({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^Pulsara$"});
    id = id.substr(0, id.find('\n'));
    if (id.empty()) {
        return std::nullopt;
    }
    const std::string shell = Run({"xdotool", "getwindowgeometry", "--shell", id});
    const auto field = [&shell](const std::string& name) {
        const auto at = shell.find(name + "=");
        return at == std::string::npos ? -1 : std::atoi(shell.c_str() + at + name.size() + 1);
    };
    return std::pair{field("X"), field("Y")};
}

// One pixel of the screen file that Xvfb keeps (XWD: a big-endian header, a colour map, then
// rows of 32-bit pixels), read as red-green-blue.
class ScreenFile {
public:
    explicit ScreenFile(const fs::path& file) {
        fd = open(file.c_str(), O_RDONLY);
        struct stat info {};
        if (fd < 0 || fstat(fd, &info) != 0) {
            return;
        }
        size = static_cast<std::size_t>(info.st_size);
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) {
            return;
        }
        bytes = static_cast<const unsigned char*>(mapped);
        pixels = Field(0) + Field(19) * 12;
        bytesPerLine = Field(12);
    }
    ~ScreenFile() {
        if (bytes != nullptr) {
            munmap(const_cast<unsigned char*>(bytes), size);
        }
        if (fd >= 0) {
            close(fd);
        }
    }
    ScreenFile(const ScreenFile&) = delete;
    ScreenFile& operator=(const ScreenFile&) = delete;

    bool Ok() const { return bytes != nullptr; }
    uint32_t Pixel(int x, int y) const {
        const unsigned char* p = bytes + pixels + static_cast<std::size_t>(y) * bytesPerLine +
                                 static_cast<std::size_t>(x) * 4;
        return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    }

private:
    std::size_t Field(int index) const {
        const unsigned char* p = bytes + index * 4;
        return static_cast<std::size_t>(p[0]) << 24 | static_cast<std::size_t>(p[1]) << 16 |
               static_cast<std::size_t>(p[2]) << 8 | p[3];
    }

    int fd = -1;
    std::size_t size = 0;
    const unsigned char* bytes = nullptr;
    std::size_t pixels = 0;
    std::size_t bytesPerLine = 0;
};

// Watches the centre of the pendulum's bob in its right position every half millisecond and
// keeps the moments at which it arrived there or left.
class PendulumWatcher {
public:
    PendulumWatcher(const ScreenFile& screen, int x, int y)
        : worker([&screen, x, y, this](const std::stop_token& stop) {
            bool right = screen.Pixel(x, y) == 0xFFFFFF;
            while (!stop.stop_requested()) {
                const bool now = screen.Pixel(x, y) == 0xFFFFFF;
                if (now != right) {
                    right = now;
                    moves.push_back(std::chrono::steady_clock::now());
                }
                std::this_thread::sleep_for(500us);
            }
        }) {}
    std::vector<SteadyTime> Stop() {
        worker.request_stop();
        worker.join();
        return moves;
    }

private:
    std::vector<SteadyTime> moves;
    std::jthread worker;
};

bool SendSpace() {
    ChildProcess xdotool({"xdotool", "key", "space"});
    return xdotool.Ended(10s) && xdotool.EndedCleanly();
}

double Ms(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Keeps one core busy for as long as it lives.
class BusyLoop {
public:
    BusyLoop()
        : worker([](const std::stop_token& stop) {
            volatile unsigned long spin = 0;
            while (!stop.stop_requested()) {
                spin = spin * 6364136223846793005ul + 1442695040888963407ul;
            }
        }) {}

private:
    std::jthread worker;
};

// The clicks of one stretch: how far each interval lies from the grid of 120, when the first
// came after the start and the last after the stop.
void PrintClicks(const std::vector<double>& onsets, const MonitorRecorder& recorder,
                 const SteadyTime& started, const SteadyTime& stopped) {
    if (onsets.size() < 2) {
        std::printf("    only %zu clicks heard\n", onsets.size());
        return;
    }
    constexpr double Grid = 22050.0;
    int off = 0;
    double worst = 0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        const double deviation = std::abs(onsets[i] - onsets[i - 1] - Grid);
        off += deviation > 1.0 ? 1 : 0;
        worst = std::max(worst, deviation);
    }
    std::printf("    %zu clicks, %d intervals more than 1 sample off (worst %.1f samples); first "
                "click %.1f ms after the start; last click %.1f ms after the stop\n",
                onsets.size(), off, worst, Ms(recorder.PlayedAt(onsets.front()) - started),
                Ms(recorder.PlayedAt(onsets.back()) - stopped));
}

void PrintSoundAndPicture(const std::vector<SteadyTime>& heard,
                          const std::vector<SteadyTime>& moves) {
    if (heard.empty()) {
        return;
    }
    std::printf("    %zu pendulum moves\n", moves.size());
    std::vector<double> offsets;
    for (const SteadyTime& move : moves) {
        const auto nearest = std::min_element(heard.begin(), heard.end(), [&](auto a, auto b) {
            return std::abs(Ms(a - move)) < std::abs(Ms(b - move));
        });
        offsets.push_back(Ms(*nearest - move));
    }
    if (offsets.empty()) {
        return;
    }
    std::sort(offsets.begin(), offsets.end());
    std::printf("    sound minus picture: median %.1f ms, from %.1f to %.1f ms\n",
                offsets[offsets.size() / 2], offsets.front(), offsets.back());
}

} // namespace

// Starts and stops the beat of a metronome under test.
using Press = std::function<bool()>;

// One stretch of playing: recorded from before the start to after the stop, with the CPU read
// meanwhile; with `pendulumAt`, the pendulum's bob is watched there.
bool PlayStretch(const char* title, pid_t pid, std::chrono::seconds length, const Press& press,
                 const ScreenFile* screen, std::optional<std::pair<int, int>> pendulumAt) {
    MonitorRecorder recorder("pulsara_null.monitor", 2);
    if (!recorder.Start() || !recorder.WaitForData(5s)) {
        std::printf("cannot record the null sink's monitor\n");
        return false;
    }
    // The first click comes a few milliseconds after the start; the recording holds some silence
    // before it, so that its onset is found.
    std::this_thread::sleep_for(300ms);
    std::optional<PendulumWatcher> watcher;
    if (screen != nullptr && pendulumAt) {
        watcher.emplace(*screen, pendulumAt->first, pendulumAt->second);
    }
    const SteadyTime started = std::chrono::steady_clock::now();
    if (!press()) {
        std::printf("the start could not be pressed\n");
        return false;
    }
    MeasureCpu(title, pid, length);
    // Stopped between two clicks, within what the program may have laid ahead.
    std::this_thread::sleep_for(300ms);
    const SteadyTime stopped = std::chrono::steady_clock::now();
    press();
    std::this_thread::sleep_for(500ms);
    const std::vector<SteadyTime> moves = watcher ? watcher->Stop() : std::vector<SteadyTime>{};
    recorder.Stop();
    const std::vector<double> onsets = ClickOnsets::Find(recorder.Samples());
    PrintClicks(onsets, recorder, started, stopped);
    if (watcher) {
        std::vector<SteadyTime> heard;
        for (const double onset : onsets) {
            heard.push_back(recorder.PlayedAt(onset));
        }
        PrintSoundAndPicture(heard, moves);
    }
    return onsets.size() >= 2;
}

// Plays with the machine idle, then with both cores kept busy.
bool PlayStretches(const std::string& name, pid_t pid, std::chrono::seconds length,
                   const Press& press, const ScreenFile* screen,
                   std::optional<std::pair<int, int>> pendulumAt) {
    bool ok = PlayStretch((name + " playing at 120, idle machine").c_str(), pid, length, press,
                          screen, pendulumAt);
    std::vector<std::unique_ptr<BusyLoop>> busy;
    busy.push_back(std::make_unique<BusyLoop>());
    busy.push_back(std::make_unique<BusyLoop>());
    ok = PlayStretch((name + " playing at 120, two busy loops").c_str(), pid, length, press, screen,
                     pendulumAt) &&
         ok;
    return ok;
}

// GTick at 120 in the same X and sound servers, started with a click on its button; its own
// settings live in a home of its own.
void RunGTick(const XServer& xserver, std::chrono::seconds length) {
    if (!fs::exists("/usr/bin/gtick")) {
        std::printf("GTick is not installed (Debian package gtick): no comparison\n");
        return;
    }
    const fs::path home = fs::path(PULSARA_BENCH_RUNTIME) / "gtick-home";
    fs::remove_all(home);
    fs::create_directories(home);
    ChildProcess::Options options;
    options.environment = Environment({"HOME=" + home.string()});
    ChildProcess gtick({"/usr/bin/gtick"}, options);
    const std::string window = xserver.FindWindow("GTick", 10s);
    if (window.empty()) {
        std::printf("GTick's window did not show\n");
        return;
    }
    const std::string shell = Run({"xdotool", "getwindowgeometry", "--shell", window});
    const auto field = [&shell](const std::string& name) {
        const auto at = shell.find(name + "=");
        return at == std::string::npos ? 0 : std::atoi(shell.c_str() + at + name.size() + 1);
    };
    const int x = field("X");
    const int y = field("Y");
    // The speed field, then the Start/Stop button, where GTick lays them out.
    xserver.Xdotool({"mousemove", std::to_string(x + 370), std::to_string(y + 109), "click",
                     "--repeat", "3", "1", "type", "120"});
    xserver.Xdotool({"key", "Return"});
    std::this_thread::sleep_for(3s);
    MeasureCpu("GTick idle, window open", gtick.Pid(), length);
    const Press click = [&xserver, x, y] {
        return xserver
            .Xdotool({"mousemove", std::to_string(x + 213), std::to_string(y + 254), "click", "1"})
            .has_value();
    };
    PlayStretches("GTick", gtick.Pid(), length, click, nullptr, std::nullopt);
}

int main(int argc, char** argv) {
    const auto length = std::chrono::seconds(argc > 1 ? std::atoi(argv[1]) : 60);
    PrivateAudioServer server(PULSARA_PULSE_FIXTURE, PULSARA_BENCH_RUNTIME);
    if (!server.ok) {
        std::printf("the private PulseAudio server did not start\n");
        return 1;
    }
    const fs::path screenFolder = fs::path(PULSARA_BENCH_RUNTIME) / "screen";
    fs::create_directories(screenFolder);
    const XServer xserver(screenFolder.string());
    if (xserver.display.empty()) {
        std::printf("Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", xserver.display.c_str(), 1);
    const fs::path config = fs::path(PULSARA_BENCH_RUNTIME) / "config";
    fs::remove_all(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    ChildProcess program({PULSARA_PROGRAM});
    const auto corner = WindowCorner();
    const ScreenFile screen(screenFolder / "Xvfb_screen0");
    if (!corner || !screen.Ok()) {
        std::printf("the program's window did not show\n");
        return 1;
    }
    std::this_thread::sleep_for(3s);
    std::printf("Pulsara under Xvfb %s with the null-sink server, %lld s per stretch\n",
                xserver.display.c_str(), static_cast<long long>(length.count()));
    MeasureCpu("Pulsara idle, window open", program.Pid(), length);
    // The bob's centre in its right position: the pivot (218, 63) plus (15, -20).
    const bool played = PlayStretches("Pulsara", program.Pid(), length, SendSpace, &screen,
                                      std::pair{corner->first + 233, corner->second + 43});

    kill(program.Pid(), SIGTERM);
    const bool ended = program.Ended(10s);
    const std::string stored = ReadFile(config / "Pulsara" / "Pulsara.conf");
    std::printf("SIGTERM: %s; practice time stored: %s\n",
                ended ? (program.EndedCleanly() ? "closed cleanly" : "ended abnormally")
                      : "still running",
                stored.find("TotalTime=") != std::string::npos ? "yes" : "no");
    RunGTick(xserver, length);
    return played && ended ? 0 : 1;
}
