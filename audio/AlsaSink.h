#pragma once

#include "PcmSink.h"

#include <memory>
#include <string>

struct _snd_pcm;

// A playback stream straight on an ALSA device, for machines without a sound server. Mono where
// the device takes it, else the same signal on both channels.
class AlsaSink final : public PcmSink {
public:
    // The device with about `bufferFrames` frames in flight, or null with ALSA's reason in
    // `problem`.
    static std::unique_ptr<AlsaSink> Open(const std::string& device, int32_t bufferFrames,
                                          std::string& problem);
    // Takes ownership of an open, configured device.
    AlsaSink(_snd_pcm* opened, int32_t channels);

    int32_t Channels() const override { return channels; }
    bool Write(std::span<const int16_t> words) override;
    double LatencyMs() override;

private:
    struct Closer {
        void operator()(_snd_pcm* pcm) const;
    };

    std::unique_ptr<_snd_pcm, Closer> pcm;
    int32_t channels;
};
