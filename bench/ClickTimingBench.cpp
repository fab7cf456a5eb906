// Click timing on the real audio path, as a player meets it. Starts a private PulseAudio server on
// a null sink (the fixture script of the integration tests), and for each run presses "Space":
// switches the engine on with the default rhythm at 120 and at 320 (187.5 ms apart, a grid that
// falls between samples), with the second core idle, kept busy by two loops, and with the driving
// thread standing still for 100 ms every 2 s, while the sink's monitor is recorded with parec at
// 2 ms latency. Prints, from the very first click: the deviation of every inter-onset interval
// from the exact grid distance (the jitter, in samples), the intervals more than one sample off,
// the time from the switch-on to the first click heard, and how long after the switch-off the last
// click started.
//
// Targets: no interval more than 1 sample off; first click at most 20 ms after Space; no click
// starting more than 5 ms after the switch-off.
//
// Run from the build folder:  bin/pulsara_bench_click_timing [seconds per run, default 60]
//                             [tempo, default both 120 and 320]
// With PULSARA_BENCH_DUMP=<prefix> set, each run's recording (<prefix>-<bpm>-<load>.raw, mono s16le
// at 44100 Hz) and its onsets (.onsets, one per line, in samples) are kept for a closer look.

#include "CMetronome.h"
#include "ClickOnsets.h"
#include "DriveEngine.h"
#include "MonitorRecorder.h"
#include "PrivateAudioServer.h"
#include "ProgramFolder.h"
#include "StreamOutput.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* DefaultRhythm = "4 xxxx (xxxx xxxx xxxx xxxx)0";

enum class Load { Idle, Busy, Stalls };

const char* Name(Load load) {
    switch (load) {
    case Load::Busy:
        return "two busy loops";
    case Load::Stalls:
        return "100 ms stalls";
    default:
        return "idle";
    }
}

// Keeps one core fully busy for as long as it lives.
class BusyCore {
public:
    BusyCore()
        : worker([this] {
            unsigned long spin = 0;
            while (!stop.load(std::memory_order_relaxed)) {
                spin = spin * 6364136223846793005ul + 1442695040888963407ul;
            }
            sink.store(spin);
        }) {}
    ~BusyCore() {
        stop = true;
        worker.join();
    }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

private:
    std::atomic<bool> stop{false};
    std::atomic<unsigned long> sink{0};
    std::thread worker;
};

struct Presses {
    std::chrono::steady_clock::time_point on;
    std::chrono::steady_clock::time_point off;
};

// Switches the engine on and drives it as the window does, waking only when it has something to
// do; gives the steady-clock moments of the switch-on and the switch-off.
Presses PlayDefaultRhythm(FrameClock& ticks, StreamOutput& sound, int32_t bpm, double seconds,
                          bool stalls) {
    CMetronome metron(ticks, sound);
    metron.BPM(bpm);
    metron.Track().Rhithm(DefaultRhythm);
    Presses presses;
    presses.on = std::chrono::steady_clock::now();
    metron.Enable(true);
    DriveEngine(ticks, metron, seconds * 1000.0, stalls ? 2000.0 : 0.0, 100.0);
    // Off at a moment between two clicks that lies within the horizon laid ahead.
    DriveEngine(ticks, metron, 60000.0 / bpm * 0.6);
    presses.off = std::chrono::steady_clock::now();
    metron.Enable(false);
    return presses;
}

void KeepRecording(const std::string& name, const std::vector<int16_t>& samples,
                   const std::vector<double>& onsets) {
    if (std::FILE* f = std::fopen((name + ".raw").c_str(), "wb")) {
        std::fwrite(samples.data(), sizeof(int16_t), samples.size(), f);
        std::fclose(f);
    }
    if (std::FILE* f = std::fopen((name + ".onsets").c_str(), "w")) {
        for (const double onset : onsets) {
            std::fprintf(f, "%.3f\n", onset);
        }
        std::fclose(f);
    }
}

bool Run(FrameClock& ticks, StreamOutput& sound, int32_t bpm, Load load, double seconds) {
    MonitorRecorder recorder("pulsara_null.monitor", 2);
    if (!recorder.Start() || !recorder.WaitForData(std::chrono::seconds(5))) {
        std::printf("cannot record the null sink's monitor\n");
        return false;
    }
    Presses presses;
    const int64_t lateBefore = sound.LateStarts();
    const int64_t underrunsBefore = sound.Underruns();
    {
        std::vector<std::unique_ptr<BusyCore>> busy;
        for (int i = 0; load == Load::Busy && i < 2; ++i) {
            busy.push_back(std::make_unique<BusyCore>());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        presses = PlayDefaultRhythm(ticks, sound, bpm, seconds, load == Load::Stalls);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    recorder.Stop();
    const auto onsets = ClickOnsets::Find(recorder.Samples());
    if (const char* prefix = std::getenv("PULSARA_BENCH_DUMP")) {
        KeepRecording(std::string(prefix) + "-" + std::to_string(bpm) + "-" +
                          std::to_string(static_cast<int>(load)),
                      recorder.Samples(), onsets);
    }
    if (onsets.size() < 3) {
        std::printf("%4d bpm: only %zu clicks recorded\n", bpm, onsets.size());
        return false;
    }
    const double grid = 60.0 / bpm * 44100.0;
    double worst = 0.0;
    int off = 0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        const double deviation = std::abs(onsets[i] - onsets[i - 1] - grid);
        worst = std::max(worst, deviation);
        off += deviation > 1.0 ? 1 : 0;
    }
    using Ms = std::chrono::duration<double, std::milli>;
    const Ms firstClick = recorder.PlayedAt(onsets.front()) - presses.on;
    const Ms lastAfterOff = recorder.PlayedAt(onsets.back()) - presses.off;
    std::printf("%4d bpm  %-14s %5zu clicks  %d intervals more than 1 sample off, worst %.3f "
                "samples (grid %.3f)  first click %.1f ms after Space  last click %.1f ms after "
                "the stop  late %lld  stream ran dry %lld\n",
                bpm, Name(load), onsets.size(), off, worst, grid, firstClick.count(),
                lastAfterOff.count(), static_cast<long long>(sound.LateStarts() - lateBefore),
                static_cast<long long>(sound.Underruns() - underrunsBefore));
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    PrivateAudioServer server(PULSARA_PULSE_FIXTURE, PULSARA_BENCH_RUNTIME);
    if (!server.ok) {
        std::printf("cannot start the private PulseAudio server\n");
        return 1;
    }
    FrameClock ticks;
    StreamOutput sound(ticks, &StreamOutput::OpenDefaultSink, SampleBank::Load(ProgramFolder()));
    if (!sound.IsOpen()) {
        std::printf("no audio output: %s\n", sound.Problem().c_str());
        return 1;
    }
    std::printf("%.0f s per run; each run from the first click after switching on\n", seconds);
    std::fflush(stdout);
    bool ok = true;
    std::vector<int32_t> tempos{120, 320};
    if (argc > 2) {
        tempos = {std::atoi(argv[2])};
    }
    for (const int32_t bpm : tempos) {
        for (const Load load : {Load::Idle, Load::Busy, Load::Stalls}) {
            ok = Run(ticks, sound, bpm, load, seconds) && ok;
        }
    }
    return ok ? 0 : 1;
}
