#pragma once

#include "PcmSink.h"

#include <memory>
#include <string>

struct pa_simple;

// A playback stream on the desktop's sound server (PulseAudio, or PipeWire through its PulseAudio
// service), asked for a short buffer so that a click is heard soon after it is written.
class PulseSink final : public PcmSink {
public:
    // The stream on the server's default sink with `bufferFrames` frames in flight, or null with
    // the server's reason in `problem`.
    static std::unique_ptr<PulseSink> Open(int32_t bufferFrames, int32_t requestFrames,
                                           std::string& problem);

    // Takes ownership of an open stream.
    explicit PulseSink(pa_simple* opened);

    int32_t Channels() const override { return 1; }
    bool Write(std::span<const int16_t> words) override;
    double LatencyMs() override;

private:
    struct Closer {
        void operator()(pa_simple* stream) const;
    };
    std::unique_ptr<pa_simple, Closer> stream;
};
