// Click timing on the real audio path. Starts a private PulseAudio server on a null sink (the
// fixture script of the integration tests), plays the default rhythm through the engine and the
// PortAudio sound output into it at 120 and at 320 (187.5 ms apart, a grid that falls between
// samples), with the second core idle and kept busy, and records the sink's monitor with parec.
// Prints the deviation of each inter-onset interval from the mean interval (the jitter, maximum
// and 99th percentile, in samples) and the drift of the clicks against the system clock in ppm.
//
// The null sink's sample clock runs a few hundred ppm off the system clock, so the drift is taken
// against the recording's own length in samples over the system time it took, not against the
// nominal 44100 Hz. Targets: jitter below 1 sample at its maximum, drift under 20 ppm.
//
// Run from the build folder:  bin/pulsara_bench_click_timing [seconds per run, default 60]
// With PULSARA_BENCH_DUMP=<prefix> set, each run's recording (<prefix>-<bpm>-<load>.raw, mono s16le
// at 44100 Hz) and its onsets (.onsets, one per line, in samples) are kept for a closer look.

#include "CMetronome.h"
#include "ClickOnsets.h"
#include "MonitorRecorder.h"
#include "PortAudioSoundOutput.h"
#include "PrivateAudioServer.h"
#include "SteadyTickSource.h"

#include <atomic>
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

void PlayDefaultRhythm(SteadyTickSource& ticks, PortAudioSoundOutput& sound, int32_t bpm,
                       double seconds) {
    CMetronome metron(ticks, sound);
    metron.BPM(bpm);
    metron.Track().Rhithm(DefaultRhythm);
    metron.Enable(true);
    const int32_t end = ticks.GetTickCount() + static_cast<int32_t>(seconds * 1000.0);
    while (ticks.GetTickCount() - end < 0) {
        metron.Pulse();
        ticks.Sleep(1);
    }
    metron.Enable(false);
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

bool Run(SteadyTickSource& ticks, PortAudioSoundOutput& sound, int32_t bpm, bool busy,
         double seconds) {
    MonitorRecorder recorder;
    if (!recorder.Start() || !recorder.WaitForData(std::chrono::seconds(5))) {
        std::printf("cannot record the null sink's monitor\n");
        return false;
    }
    int64_t late = 0;
    int64_t restarts = 0;
    {
        const std::unique_ptr<BusyCore> load = busy ? std::make_unique<BusyCore>() : nullptr;
        ticks.Sleep(2000);
        late = sound.Player()->LateStarts();
        restarts = sound.Player()->ClockRestarts();
        PlayDefaultRhythm(ticks, sound, bpm, seconds);
        ticks.Sleep(static_cast<int32_t>(sound.OutputLatencyMs()) + 1500);
        late = sound.Player()->LateStarts() - late;
        restarts = sound.Player()->ClockRestarts() - restarts;
    }
    recorder.Stop();
    const auto onsets = ClickOnsets::Find(recorder.Samples());
    if (const char* prefix = std::getenv("PULSARA_BENCH_DUMP")) {
        KeepRecording(std::string(prefix) + "-" + std::to_string(bpm) + (busy ? "-busy" : "-idle"),
                      recorder.Samples(), onsets);
    }
    const auto timing = ClickOnsets::Measure(onsets);
    const double nominal = 60.0 / bpm;
    const double rate = recorder.SamplesPerSecond();
    std::printf("%4d bpm  %-9s %5zu clicks  mean %10.4f samples (%9.3f at 44100 Hz)  "
                "jitter max %.3f p99 %.3f samples  recording %.2f Hz (%+.0f ppm)  drift %+.2f ppm  "
                "late %lld  clock restarts %lld\n",
                bpm, busy ? "busy core" : "idle", timing.clicks, timing.meanInterval,
                nominal * 44100.0, timing.maxDeviation, timing.p99Deviation, rate,
                (rate / 44100.0 - 1.0) * 1e6,
                ClickOnsets::DriftPpm(timing.meanInterval, rate, nominal),
                static_cast<long long>(late), static_cast<long long>(restarts));
    std::fflush(stdout);
    return timing.clicks > 2;
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    PrivateAudioServer server(PULSARA_PULSE_FIXTURE, PULSARA_BENCH_RUNTIME);
    if (!server.ok) {
        std::printf("cannot start the private PulseAudio server\n");
        return 1;
    }
    // A recorder joining the null sink changes the sink's timing, and the sound server's timing
    // estimates take a quarter minute to settle on the new one. This recorder joins before the
    // output opens and stays to the end, so the sink keeps one timing throughout and each run's own
    // recorder (with the same latency) changes nothing.
    MonitorRecorder standing;
    if (!standing.Start() || !standing.WaitForData(std::chrono::seconds(5))) {
        std::printf("cannot record the null sink's monitor\n");
        return 1;
    }
    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    if (!sound.IsOpen()) {
        std::printf("no audio device\n");
        return 1;
    }
    for (int waited = 0; waited < 60000 && !sound.Settled(); waited += 10) {
        ticks.Sleep(10);
    }
    std::printf("output latency %.1f ms (due tick to the device); %.0f s per run\n",
                sound.OutputLatencyMs(), seconds);
    std::fflush(stdout);
    bool ok = true;
    for (const int32_t bpm : {120, 320}) {
        for (const bool busy : {false, true}) {
            ok = Run(ticks, sound, bpm, busy, seconds) && ok;
        }
    }
    return ok ? 0 : 1;
}
