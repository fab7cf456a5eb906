// The whole program's CPU use, idle and playing. Starts a private PulseAudio server on a null sink
// (the fixture script of the tests) and an X server of its own (Xvfb), runs the real program
// there, and reads the kernel's accounting of every thread of it over a stretch of idle time and a
// stretch of playing the default rhythm at 120 (started with Space, sent by xdotool). Prints the
// share of one core used by the process and by each of its threads, and the main loop's passes per
// second (the main thread's voluntary context switches: one per 1 ms sleep). Before the playing
// stretch it records the sink's monitor to check that the program really clicks. At the end it
// asks the program to end with SIGTERM and checks that it stored the practice time on its way out.
//
// Alongside each stretch a bare loop of 1 ms sleeps runs in this benchmark's own process, so that
// the floor that any loop turning once per millisecond pays on this machine is measured under the
// same conditions.
//
// Target: at most 1 % of one core, idle and playing alike, with about 1000 passes per second.
//
// Run from the build folder:  bin/pulsara_bench_cpu [seconds per stretch, default 60]

#include "ChildProcess.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "PrivateAudioServer.h"
#include "XServer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct ThreadUse {
    std::string name;
    double cpuSeconds = 0;
    long voluntarySwitches = 0;
    double wakeUpsPerSecond = 0;
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
        use.cpuSeconds = runNs / 1e9;
        const std::string status = ReadFile(entry.path() / "status");
        const auto at = status.find("voluntary_ctxt_switches:");
        if (at != std::string::npos && (at == 0 || status[at - 1] == '\n')) {
            use.voluntarySwitches = std::stol(status.substr(at + 24));
        }
        threads[std::stoi(entry.path().filename().string())] = use;
    }
    return threads;
}

// A loop that does nothing but sleep 1 ms at a time, in a thread of this process.
class SleepLoop {
public:
    SleepLoop()
        : worker([this](std::stop_token stop) {
            tid = static_cast<pid_t>(syscall(SYS_gettid));
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(1ms);
            }
        }) {
        while (tid.load() == 0) {
            std::this_thread::sleep_for(1ms);
        }
    }
    double CpuSeconds() const {
        std::istringstream schedstat(
            ReadFile("/proc/self/task/" + std::to_string(tid.load()) + "/schedstat"));
        long long runNs = 0;
        schedstat >> runNs;
        return runNs / 1e9;
    }

private:
    std::atomic<pid_t> tid{0};
    std::jthread worker;
};

struct Stretch {
    double cpuPercent = 0;
    double mainPercent = 0;
    double passesPerSecond = 0;
    double floorPercent = 0;
    std::map<int, ThreadUse> threads;
};

Stretch Measure(pid_t pid, std::chrono::seconds length) {
    const SleepLoop reference;
    const double referenceBefore = reference.CpuSeconds();
    const auto before = ReadThreads(pid);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(length);
    const auto after = ReadThreads(pid);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Stretch result;
    result.floorPercent = 100 * (reference.CpuSeconds() - referenceBefore) / seconds;
    for (const auto& [tid, use] : after) {
        const auto was = before.find(tid);
        ThreadUse spent = use;
        if (was != before.end()) {
            spent.cpuSeconds -= was->second.cpuSeconds;
            spent.voluntarySwitches -= was->second.voluntarySwitches;
        }
        result.cpuPercent += 100 * spent.cpuSeconds / seconds;
        if (tid == pid) {
            result.mainPercent = 100 * spent.cpuSeconds / seconds;
            result.passesPerSecond = spent.voluntarySwitches / seconds;
        }
        spent.cpuSeconds = 100 * spent.cpuSeconds / seconds;
        spent.wakeUpsPerSecond = spent.voluntarySwitches / seconds;
        result.threads[tid] = spent;
    }
    return result;
}

void Print(const char* title, const Stretch& stretch) {
    std::printf("%s: %.2f %% of one core (main thread %.2f %%), %.0f loop passes/s\n", title,
                stretch.cpuPercent, stretch.mainPercent, stretch.passesPerSecond);
    for (const auto& [tid, use] : stretch.threads) {
        if (use.cpuSeconds >= 0.005) {
            std::printf("    thread %-16s %6.3f %%  %7.0f wake-ups/s\n", use.name.c_str(),
                        use.cpuSeconds, use.wakeUpsPerSecond);
        }
    }
    std::printf("    a bare loop of 1 ms sleeps beside it: %.3f %%\n", stretch.floorPercent);
}

// The main loop turns about a thousand times a second once the window is up.
bool WaitForLoop(pid_t pid) {
    for (int i = 0; i < 40; ++i) {
        const Stretch probe = Measure(pid, 1s);
        if (probe.passesPerSecond > 500) {
            return true;
        }
    }
    return false;
}

std::size_t ClicksHeard(std::chrono::seconds length) {
    MonitorRecorder recorder;
    if (!recorder.Start() || !recorder.WaitForData(5s)) {
        return 0;
    }
    std::this_thread::sleep_for(length);
    recorder.Stop();
    return ClickOnsets::Find(recorder.Samples()).size();
}

bool SendSpace() {
    ChildProcess xdotool({"xdotool", "key", "space"});
    return xdotool.Ended(10s) && xdotool.EndedCleanly();
}

} // namespace

int main(int argc, char** argv) {
    const auto length = std::chrono::seconds(argc > 1 ? std::atoi(argv[1]) : 60);
    PrivateAudioServer server(PULSARA_PULSE_FIXTURE, PULSARA_BENCH_RUNTIME);
    if (!server.ok) {
        std::printf("the private PulseAudio server did not start\n");
        return 1;
    }
    const XServer xserver;
    if (xserver.display.empty()) {
        std::printf("Xvfb did not start\n");
        return 1;
    }
    const std::string& display = xserver.display;
    setenv("DISPLAY", display.c_str(), 1);
    const fs::path config = fs::path(PULSARA_BENCH_RUNTIME) / "config";
    fs::remove_all(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    ChildProcess program({PULSARA_PROGRAM});
    if (!WaitForLoop(program.Pid())) {
        std::printf("the program's main loop did not start\n");
        return 1;
    }
    std::this_thread::sleep_for(3s);
    std::printf("Pulsara under Xvfb %s with the null-sink server, %lld s per stretch\n",
                display.c_str(), static_cast<long long>(length.count()));
    Print("idle", Measure(program.Pid(), length));

    if (!SendSpace()) {
        std::printf("xdotool could not send Space\n");
        return 1;
    }
    const std::size_t clicks = ClicksHeard(4s);
    std::printf("clicks heard in 4 s after Space: %zu (about 8 at 120)\n", clicks);
    Print("playing", Measure(program.Pid(), length));

    kill(program.Pid(), SIGTERM);
    const bool ended = program.Ended(10s);
    const std::string stored = ReadFile(config / "Pulsara" / "Pulsara.conf");
    std::printf("SIGTERM: %s; practice time stored: %s\n",
                ended ? (program.EndedCleanly() ? "closed cleanly" : "ended abnormally")
                      : "still running",
                stored.find("TotalTime=") != std::string::npos ? "yes" : "no");
    return clicks >= 6 && ended ? 0 : 1;
}
