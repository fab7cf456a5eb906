// The whole program as a user meets it. Starts a private PulseAudio server on a null sink (the
// fixture script of the tests) and an X server of its own (Xvfb, keeping its screen in a file),
// runs the real program there and:
//  - reads the kernel's accounting of every thread of it over a stretch with the window open and
//    the beat off, and over a stretch of playing the default rhythm at 120 (started with Space,
//    sent by xdotool): the share of one core, and each thread's wake-ups per second;
//  - records the sink's monitor (parec at 2 ms) and watches the pendulum's bob on the screen file
//    every half millisecond: the time from Space to the first click heard, and for every beat how
//    long after the pendulum moved its click was heard (sound minus picture);
//  - asks the program to end with SIGTERM and checks that it stored the practice time.
//
// Targets: at most 0.5 % of one core playing and 0.1 % idle; first click at most 20 ms after
// Space; sound minus picture within 5 ms.
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
#include <map>
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

void PrintSoundAndPicture(const SteadyTime& pressed, const std::vector<SteadyTime>& heard,
                          const std::vector<SteadyTime>& moves) {
    if (heard.empty()) {
        std::printf("no clicks heard\n");
        return;
    }
    std::printf("first click %.1f ms after Space; %zu clicks, %zu pendulum moves\n",
                Ms(heard.front() - pressed), heard.size(), moves.size());
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
    std::printf("sound minus picture: median %.1f ms, from %.1f to %.1f ms\n",
                offsets[offsets.size() / 2], offsets.front(), offsets.back());
}

} // namespace

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
    MeasureCpu("idle, window open", program.Pid(), length);

    MonitorRecorder recorder("pulsara_null.monitor", 2);
    if (!recorder.Start() || !recorder.WaitForData(5s)) {
        std::printf("cannot record the null sink's monitor\n");
        return 1;
    }
    // The first click comes a few milliseconds after Space; the recording holds some silence
    // before it, so that its onset is found.
    std::this_thread::sleep_for(300ms);
    // The bob's centre in its right position: the pivot (218, 63) plus (15, -20).
    PendulumWatcher watcher(screen, corner->first + 233, corner->second + 43);
    const SteadyTime pressed = std::chrono::steady_clock::now();
    if (!SendSpace()) {
        std::printf("xdotool could not send Space\n");
        return 1;
    }
    MeasureCpu("playing at 120", program.Pid(), length);
    const std::vector<SteadyTime> moves = watcher.Stop();
    recorder.Stop();
    std::vector<SteadyTime> heard;
    for (const double onset : ClickOnsets::Find(recorder.Samples())) {
        heard.push_back(recorder.PlayedAt(onset));
    }
    PrintSoundAndPicture(pressed, heard, moves);

    kill(program.Pid(), SIGTERM);
    const bool ended = program.Ended(10s);
    const std::string stored = ReadFile(config / "Pulsara" / "Pulsara.conf");
    std::printf("SIGTERM: %s; practice time stored: %s\n",
                ended ? (program.EndedCleanly() ? "closed cleanly" : "ended abnormally")
                      : "still running",
                stored.find("TotalTime=") != std::string::npos ? "yes" : "no");
    return !heard.empty() && ended ? 0 : 1;
}
