// Click timing on the real audio path, as a player meets it. Starts a private PulseAudio server on
// a null sink (the fixture script of the integration tests), and for each run presses "Space":
// switches the engine on with the default rhythm at 120 and at 320 (187.5 ms apart, a grid that
// falls between samples), with the second core idle and kept busy, while the sink's monitor is
// recorded with parec at 2 ms latency. Prints, from the very first click: the deviation of every
// inter-onset interval from the exact grid distance (the jitter, in samples), the time from the
// switch-on to the first click heard, and how long after its due tick each click is heard against
// what the output announces to the display.
//
// Targets: jitter below 1 sample; first click at most 30 ms after Space; the announced delay
// within 10 ms of the heard one.
//
// Run from the build folder:  bin/pulsara_bench_click_timing [seconds per run, default 60]
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

// Switches the engine on and drives it as the window does, waking only when it has something to
// do; gives the steady-clock moment of the switch-on.
std::chrono::steady_clock::time_point PlayDefaultRhythm(FrameClock& ticks, StreamOutput& sound,
                                                        int32_t bpm, double seconds) {
    CMetronome metron(ticks, sound);
    metron.BPM(bpm);
    metron.Track().Rhithm(DefaultRhythm);
    const auto pressed = std::chrono::steady_clock::now();
    metron.Enable(true);
    DriveEngine(ticks, metron, seconds * 1000.0);
    metron.Enable(false);
    return pressed;
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

bool Run(FrameClock& ticks, StreamOutput& sound, int32_t bpm, bool busy, double seconds) {
    MonitorRecorder recorder("pulsara_null.monitor", 2);
    if (!recorder.Start() || !recorder.WaitForData(std::chrono::seconds(5))) {
        std::printf("cannot record the null sink's monitor\n");
        return false;
    }
    std::chrono::steady_clock::time_point pressed;
    const int64_t lateBefore = sound.LateStarts();
    const int64_t underrunsBefore = sound.Underruns();
    {
        const std::unique_ptr<BusyCore> load = busy ? std::make_unique<BusyCore>() : nullptr;
        // The stream sleeps, as it does whenever the beat has been off for a moment.
        while (!sound.Sleeping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        pressed = PlayDefaultRhythm(ticks, sound, bpm, seconds);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    recorder.Stop();
    const auto onsets = ClickOnsets::Find(recorder.Samples());
    if (const char* prefix = std::getenv("PULSARA_BENCH_DUMP")) {
        KeepRecording(std::string(prefix) + "-" + std::to_string(bpm) + (busy ? "-busy" : "-idle"),
                      recorder.Samples(), onsets);
    }
    if (onsets.size() < 3) {
        std::printf("%4d bpm: only %zu clicks recorded\n", bpm, onsets.size());
        return false;
    }
    const double grid = 60.0 / bpm * 44100.0;
    double worst = 0.0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        worst = std::max(worst, std::abs(onsets[i] - onsets[i - 1] - grid));
    }
    const std::chrono::duration<double, std::milli> firstClick =
        recorder.PlayedAt(onsets.front()) - pressed;
    std::printf("%4d bpm  %-9s %5zu clicks  jitter max %.3f samples (grid %.3f)  "
                "first click %.1f ms after Space (the display shows each step %.1f ms after it "
                "is due)  late %lld  stream ran dry %lld\n",
                bpm, busy ? "busy core" : "idle", onsets.size(), worst, grid, firstClick.count(),
                sound.PlayDelayMs(), static_cast<long long>(sound.LateStarts() - lateBefore),
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
    for (const int32_t bpm : {120, 320}) {
        for (const bool busy : {false, true}) {
            ok = Run(ticks, sound, bpm, busy, seconds) && ok;
        }
    }
    return ok ? 0 : 1;
}
