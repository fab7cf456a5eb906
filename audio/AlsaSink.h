#pragma once

#include "PcmSink.h"

#include <atomic>
#include <memory>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

struct _snd_pcm;

// A playback stream straight on an ALSA device, for machines without a sound server: a thread of
// its own keeps the device's buffer full, and rewinds the device to write again what the source
// changed, as far as the device lets it. Mono where the device takes it, else the same signal on
// both channels.
class AlsaSink final : public PcmSink {
public:
    // The device with about `bufferFrames` frames in flight, written `requestFrames` at a time;
    // null with ALSA's reason in `problem`.
    static std::unique_ptr<AlsaSink> Open(const std::string& device, int32_t bufferFrames,
                                          int32_t requestFrames, std::string& problem);
    // Takes ownership of an open, configured device.
    AlsaSink(_snd_pcm* opened, int32_t channels, int32_t requestFrames);
    ~AlsaSink() override;
    AlsaSink(const AlsaSink&) = delete;
    AlsaSink& operator=(const AlsaSink&) = delete;

    void Start(PcmSource& source) override;
    void Wake() override;
    bool Failed() const override { return failed.load(); }
    int64_t Underruns() const override { return underruns.load(); }

private:
    struct Closer {
        void operator()(_snd_pcm* pcm) const;
    };
    void Run(const std::stop_token& stop, PcmSource& source);
    void WaitForRoomOrWake();
    bool Rewind(int64_t to);
    bool Fill(PcmSource& source);
    int64_t DelayFrames();

    std::unique_ptr<_snd_pcm, Closer> pcm;
    int32_t channels;
    int32_t requestFrames;
    int wakeFd = -1;
    int64_t written = 0;
    std::vector<int16_t> buffer;
    // The wake-up's descriptor first, then the device's.
    std::vector<struct pollfd> fds;
    std::atomic<bool> failed{false};
    std::atomic<int64_t> underruns{0};
    std::jthread thread;
};
