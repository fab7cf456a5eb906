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

StreamOutput::StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank,
                           LossReport lossReport)
    : clock(clock)
    , player(std::move(bank))
    , lossReport(std::move(lossReport)) {
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
    if (auto pulse = PulseSink::Open(StreamFrames, RequestFrames, serverProblem)) {
        return pulse;
    }
    snd_lib_error_set_handler(QuietAlsa);
    std::string deviceProblem;
    if (auto alsa = AlsaSink::Open("default", StreamFrames, RequestFrames, deviceProblem)) {
        return alsa;
    }
    problem = serverProblem + "; " + deviceProblem;
    return nullptr;
}

void StreamOutput::PlaySample(std::string_view fileName, int64_t frame) {
    if (IsOpen() && player.PlaySample(fileName, clock.StreamFrame(frame))) {
        sink->Wake();
    }
}

void StreamOutput::Withdraw(int64_t frame) {
    if (IsOpen()) {
        player.Withdraw(clock.StreamFrame(frame));
        sink->Wake();
    }
}

int64_t StreamOutput::EarliestFrame(int64_t now) const {
    return IsOpen() ? now + LeadFrames : now;
}

void StreamOutput::Heard(int64_t frames) {
    clock.Heard(frames);
}

int64_t StreamOutput::TakeChanges(int64_t fixedBefore) {
    player.Forget(fixedBefore);
    return player.TakeRequests(fixedBefore);
}

void StreamOutput::Render(int64_t from, std::span<int16_t> out, int32_t channels) {
    player.Render(from, out, channels);
}

void StreamOutput::Lost(bool lost) {
    if (lossReport) {
        lossReport(lost);
    }
}
