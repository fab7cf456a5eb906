#pragma once

#include "MixerDevice.h"

#include <deque>
#include <memory>
#include <string>

typedef struct _snd_pcm snd_pcm_t;

// Records from an ALSA PCM into buffers lent by the owner, with no thread and no callback: what the
// PCM has gathered in its own ring is moved into the lent buffers whenever Collect runs. When every
// buffer is full the ring overruns and recording pauses; the next Collect after a buffer is lent
// again restarts it.
class AlsaCapture {
public:
    explicit AlsaCapture(std::string deviceName);

    MixerResult Open(const CaptureFormat& format);
    MixerResult Prepare(CaptureBuffer& buffer);
    MixerResult Add(CaptureBuffer& buffer);
    MixerResult Start();
    MixerResult Reset();
    MixerResult Stop();
    MixerResult Unprepare(CaptureBuffer& buffer);
    MixerResult Close();

    // Fills the lent buffers from the PCM and returns the signed sample of largest magnitude among
    // the frames just moved, scaled to 16 bits. The PCM delivers in bursts, so between bursts the
    // peak of the latest one stands; 0 before anything was recorded.
    int32_t Collect();

private:
    struct PcmCloser {
        void operator()(snd_pcm_t* pcm) const;
    };

    long ReadInto(CaptureBuffer& buffer);
    void Restart();
    void HandBack(CaptureBuffer& buffer);
    void HandBackAll();
    int32_t PeakOf(const uint8_t* bytes, std::size_t count) const;

    std::string deviceName;
    std::unique_ptr<snd_pcm_t, PcmCloser> pcm;
    CaptureFormat format;
    std::deque<CaptureBuffer*> lent;
    bool started = false;
    int32_t heldPeak = 0;
};
