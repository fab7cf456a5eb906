#include "StreamOutput.h"

#include "AlsaSink.h"
#include "PulseSink.h"
#include "RealTimePriority.h"

#include <alsa/asoundlib.h>
#include <thread>

namespace {

// Probing a device that is not there makes ALSA print its every failure; the program says what
// went wrong once, in its own words.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

} // namespace

StreamOutput::StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank)
    : clock(clock)
    , player(std::move(bank)) {
    std::thread opener([this, &openSink] {
        RaiseToRealTimePriority();
        sink = openSink(problem);
    });
    opener.join();
    if (sink) {
        sink->Start(*this);
    }
}

StreamOutput::~StreamOutput() {
    // The stream's thread reads the player: the stream goes first.
    sink.reset();
}

std::unique_ptr<PcmSink> StreamOutput::OpenDefaultSink(std::string& problem) {
    std::string serverProblem;
    if (auto pulse = PulseSink::Open(StreamFrames, BufferFrames, serverProblem)) {
        return pulse;
    }
    snd_lib_error_set_handler(QuietAlsa);
    std::string deviceProblem;
    if (auto alsa = AlsaSink::Open("default", StreamFrames, BufferFrames, deviceProblem)) {
        return alsa;
    }
    problem = serverProblem + "; " + deviceProblem;
    return nullptr;
}

void StreamOutput::PlaySample(std::string_view fileName, double dueTick) {
    if (!IsOpen()) {
        return;
    }
    const int current = state.load();
    if (current == Idle) {
        // The stream sleeps and holds nothing: its next frame is heard about now, and this step,
        // the first of a new stretch of sound, as long after it as every other step.
        clock.Restart(dueTick, player.NextFrame());
    }
    if (player.PlaySample(fileName, clock.FrameOf(dueTick) + ScheduleFrames) && current == Idle) {
        int idle = Idle;
        if (state.compare_exchange_strong(idle, Running)) {
            sink->Wake();
        }
    }
}

void StreamOutput::Playing(bool on) {
    playing.store(on);
}

double StreamOutput::PlayDelayMs() const {
    return ScheduleFrames / FrameClock::FramesPerMs;
}

void StreamOutput::Heard(int64_t frames) {
    clock.Heard(frames);
}

bool StreamOutput::Fill(std::span<int16_t> out, int32_t channels) {
    player.Render(out, channels);
    if (playing.load() || !player.Quiet()) {
        quietFrames = 0;
        return true;
    }
    quietFrames += static_cast<int64_t>(out.size()) / channels;
    if (quietFrames < LingerFrames) {
        return true;
    }
    quietFrames = 0;
    state.store(Idle);
    // A request that came in while the stream was falling asleep: it was placed on the running
    // stream's frames, and the stream goes on. If the main thread saw the stream asleep first, it
    // laid the frames afresh and wakes it.
    int idle = Idle;
    return !player.Quiet() && state.compare_exchange_strong(idle, Running);
}
