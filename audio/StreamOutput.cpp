#include "StreamOutput.h"

#include "AlsaSink.h"
#include "PulseSink.h"

#include <alsa/asoundlib.h>
#include <chrono>
#include <cmath>
#include <pthread.h>
#include <vector>

namespace {

// Probing a device that is not there makes ALSA print its every failure; the program says what
// went wrong once, in its own words.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// A busy machine must not starve the stream: where the system allows it the thread runs with
// real-time priority, and where it does not it runs as it is.
void RaisePriority() {
    sched_param priority{};
    priority.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
}

} // namespace

StreamOutput::StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank)
    : clock(clock)
    , player(std::move(bank)) {
    std::promise<void> opened;
    std::future<void> open = opened.get_future();
    thread = std::jthread(
        [this, &openSink, &opened](const std::stop_token& stop) { Run(stop, openSink, opened); });
    open.wait();
}

StreamOutput::~StreamOutput() {
    if (thread.joinable()) {
        // Wakes a sleeping stream thread, which then sees that it must stop.
        thread.request_stop();
        state.store(Running);
        state.notify_all();
        thread.join();
    }
}

std::unique_ptr<PcmSink> StreamOutput::OpenDefaultSink(std::string& problem) {
    std::string serverProblem;
    if (auto pulse = PulseSink::Open(StreamFrames, BufferFrames, serverProblem)) {
        return pulse;
    }
    snd_lib_error_set_handler(QuietAlsa);
    std::string deviceProblem;
    if (auto alsa = AlsaSink::Open("default", StreamFrames, deviceProblem)) {
        return alsa;
    }
    problem = serverProblem + "; " + deviceProblem;
    return nullptr;
}

void StreamOutput::PlaySample(std::string_view fileName, double dueTick) {
    const int current = state.load();
    if (current == Failed) {
        return;
    }
    if (current == Idle) {
        // Nothing plays and the thread waits: the stream's next frame is heard about now, and this
        // step, the first of a new stretch of sound, as long after it as every other step.
        clock.Restart(dueTick, player.NextFrame());
    }
    if (player.PlaySample(fileName, clock.FrameOf(dueTick) + ScheduleFrames) && current == Idle) {
        int idle = Idle;
        if (state.compare_exchange_strong(idle, Running)) {
            state.notify_one();
        }
    }
}

void StreamOutput::Playing(bool on) {
    playing.store(on);
}

double StreamOutput::PlayDelayMs() const {
    return ScheduleFrames / FrameClock::FramesPerMs;
}

void StreamOutput::Run(const std::stop_token& stop, const SinkOpener& openSink,
                       std::promise<void>& opened) {
    RaisePriority();
    sink = openSink(problem);
    state.store(sink ? Idle : Failed);
    opened.set_value();
    if (!sink) {
        return;
    }
    const int32_t channels = sink->Channels();
    std::vector<int16_t> buffer(static_cast<std::size_t>(BufferFrames * channels));
    while (!stop.stop_requested()) {
        if (!playing.load() && player.Quiet() && !GoIdle(stop)) {
            continue;
        }
        player.Render(buffer, channels);
        if (!sink->Write(buffer)) {
            // The server went away: the beat goes on silently, on the steady clock.
            state.store(Failed);
            return;
        }
        // What is heard now lies the stream's latency before the last frame written.
        clock.Heard(player.NextFrame() - std::llround(sink->LatencyMs() * FrameClock::FramesPerMs));
    }
}

// Sleeps until a sample wakes the thread; false when it woke without one (to stop, or because a
// request came in while it was falling asleep and must still be looked at).
bool StreamOutput::GoIdle(const std::stop_token& stop) {
    state.store(Idle);
    if (!player.Quiet() || stop.stop_requested()) {
        int idle = Idle;
        state.compare_exchange_strong(idle, Running);
        return !stop.stop_requested();
    }
    state.wait(Idle);
    return !stop.stop_requested();
}
