#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

// Records a PulseAudio source (by default the null sink's monitor) with `parec` in a child
// process: mono, 16-bit, 44100 Hz. Each block read is stamped with the steady clock, so that the
// recording's own rate can be measured against the system clock.
class MonitorRecorder {
public:
    explicit MonitorRecorder(std::string source = "pulsara_null.monitor", int latencyMs = 10);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool Start();
    // True once the first samples have come in.
    bool WaitForData(std::chrono::milliseconds timeout);
    void Stop();

    // After Stop.
    const std::vector<int16_t>& Samples() const { return samples; }
    // Samples recorded per second of system time, from the earliest-arriving blocks near the
    // start and near the end (a block is never early, only sometimes late); 0 when too short.
    double SamplesPerSecond() const;
    double Seconds() const;
    // The steady-clock moment at which a sample of the recording was played into the sink, taken
    // from the block that arrived earliest against the recording's own rate.
    std::chrono::steady_clock::time_point PlayedAt(double sample) const;

private:
    struct Stamp {
        double seconds;
        int64_t samples;
    };

    void Read(int fd);
    std::optional<Stamp> Earliest(double from, double to, double rate) const;

    std::string source;
    int latencyMs;
    std::chrono::steady_clock::time_point start;
    pid_t child = -1;
    std::thread reader;
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<int16_t> samples;
    std::vector<Stamp> stamps;
};
