#include "MonitorRecorder.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

MonitorRecorder::MonitorRecorder(std::string source, int latencyMs)
    : source(std::move(source))
    , latencyMs(latencyMs) {}

MonitorRecorder::~MonitorRecorder() {
    Stop();
}

bool MonitorRecorder::Start() {
    std::array<int, 2> pipeEnds{};
    if (pipe(pipeEnds.data()) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    std::string device = "--device=" + source;
    std::vector<std::string> args{"parec",
                                  device,
                                  "--rate=44100",
                                  "--channels=1",
                                  "--format=s16le",
                                  "--raw",
                                  "--latency-msec=" + std::to_string(latencyMs)};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&child, "parec", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        child = -1;
        close(pipeEnds[0]);
        return false;
    }
    reader = std::thread([this, fd = pipeEnds[0]] { Read(fd); });
    return true;
}

void MonitorRecorder::Read(int fd) {
    std::array<char, 4096> block{};
    std::vector<char> bytes;
    start = std::chrono::steady_clock::now();
    for (;;) {
        const ssize_t got = read(fd, block.data(), block.size());
        if (got <= 0) {
            break;
        }
        const std::chrono::duration<double> at = std::chrono::steady_clock::now() - start;
        bytes.insert(bytes.end(), block.data(), block.data() + got);
        std::lock_guard guard(lock);
        const std::size_t whole = bytes.size() / 2;
        for (std::size_t i = 0; i < whole; ++i) {
            const auto lo = static_cast<uint8_t>(bytes[2 * i]);
            const auto hi = static_cast<uint8_t>(bytes[2 * i + 1]);
            samples.push_back(static_cast<int16_t>(lo | hi << 8));
        }
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(2 * whole));
        stamps.push_back({at.count(), static_cast<int64_t>(samples.size())});
        arrived.notify_all();
    }
    close(fd);
}

bool MonitorRecorder::WaitForData(std::chrono::milliseconds timeout) {
    std::unique_lock guard(lock);
    return arrived.wait_for(guard, timeout, [this] { return !samples.empty(); });
}

void MonitorRecorder::Stop() {
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        child = -1;
    }
    if (reader.joinable()) {
        reader.join();
    }
}

double MonitorRecorder::Seconds() const {
    return stamps.size() < 2 ? 0.0 : stamps.back().seconds - stamps.front().seconds;
}

// The block that arrived earliest against the line of the given rate, within a stretch of time.
std::optional<MonitorRecorder::Stamp> MonitorRecorder::Earliest(double from, double to,
                                                                double rate) const {
    std::optional<Stamp> best;
    auto lateness = [rate](const Stamp& s) {
        return s.seconds - static_cast<double>(s.samples) / rate;
    };
    for (const Stamp& s : stamps) {
        if (s.seconds >= from && s.seconds <= to && (!best || lateness(s) < lateness(*best))) {
            best = s;
        }
    }
    return best;
}

std::chrono::steady_clock::time_point MonitorRecorder::PlayedAt(double sample) const {
    const double rate = SamplesPerSecond() > 0.0 ? SamplesPerSecond() : 44100.0;
    const auto best = Earliest(0.0, Seconds() + stamps.front().seconds, rate);
    const double seconds =
        best ? best->seconds + (sample - static_cast<double>(best->samples)) / rate : 0.0;
    return start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(seconds));
}

double MonitorRecorder::SamplesPerSecond() const {
    // The first second is left out: the server fills the source's buffer in a burst.
    const double skip = 1.0;
    const double span = Seconds() - skip;
    if (span < 2.0) {
        return 0.0;
    }
    const double window = std::min(5.0, span / 4.0);
    const double first = stamps.front().seconds + skip;
    const double last = stamps.back().seconds;
    double rate = 44100.0;
    // A better rate picks better blocks, so a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        const auto a = Earliest(first, first + window, rate);
        const auto b = Earliest(last - window, last, rate);
        if (!a || !b || b->seconds <= a->seconds) {
            return 0.0;
        }
        rate = static_cast<double>(b->samples - a->samples) / (b->seconds - a->seconds);
    }
    return rate;
}
