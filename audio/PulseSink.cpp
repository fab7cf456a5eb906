#include "PulseSink.h"

#include <pulse/error.h>
#include <pulse/simple.h>

void PulseSink::Closer::operator()(pa_simple* s) const {
    pa_simple_free(s);
}

PulseSink::PulseSink(pa_simple* s)
    : stream(s) {}

std::unique_ptr<PulseSink> PulseSink::Open(int32_t bufferFrames, int32_t requestFrames,
                                           std::string& problem) {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
    constexpr uint32_t Default = static_cast<uint32_t>(-1);
    const auto bytes = [](int32_t frames) { return static_cast<uint32_t>(frames) * 2U; };
    // The server plays as soon as it holds a request's worth, so a stream that slept starts at
    // once; it keeps no more than the buffer in flight.
    const pa_buffer_attr attributes{Default, bytes(bufferFrames), bytes(requestFrames),
                                    bytes(requestFrames), Default};
    int error = 0;
    pa_simple* opened = pa_simple_new(nullptr, "Pulsara", PA_STREAM_PLAYBACK, nullptr, "Beat",
                                      &spec, nullptr, &attributes, &error);
    if (opened == nullptr) {
        problem = std::string("the sound server could not be reached: ") + pa_strerror(error);
        return nullptr;
    }
    return std::make_unique<PulseSink>(opened);
}

bool PulseSink::Write(std::span<const int16_t> words) {
    int error = 0;
    return pa_simple_write(stream.get(), words.data(), words.size_bytes(), &error) == 0;
}

double PulseSink::LatencyMs() {
    int error = 0;
    const pa_usec_t latency = pa_simple_get_latency(stream.get(), &error);
    return latency == static_cast<pa_usec_t>(-1) ? 0.0 : static_cast<double>(latency) / 1000.0;
}
