#include "AlsaCapture.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace {

// The PCM hands its sound over in quarters of its ring; a short ring keeps the meter lively. A
// reading that comes later than the ring lasts only loses sound nobody listens to.
constexpr unsigned int RingMicroseconds = 200000;

snd_pcm_format_t SampleFormat(uint16_t bitsPerSample) {
    switch (bitsPerSample) {
    case 8:
        return SND_PCM_FORMAT_U8;
    case 16:
        return SND_PCM_FORMAT_S16_LE;
    default:
        return SND_PCM_FORMAT_UNKNOWN;
    }
}

int32_t Louder(int32_t a, int32_t b) {
    return std::abs(b) > std::abs(a) ? b : a;
}

} // namespace

void AlsaCapture::PcmCloser::operator()(snd_pcm_t* handle) const {
    snd_pcm_close(handle);
}

AlsaCapture::AlsaCapture(std::string name)
    : deviceName(std::move(name)) {}

MixerResult AlsaCapture::Open(const CaptureFormat& wanted) {
    const snd_pcm_format_t sampleFormat = SampleFormat(wanted.bitsPerSample);
    const bool consistent =
        wanted.channels > 0 && wanted.blockAlign == wanted.channels * wanted.bitsPerSample / 8;
    if (pcm || sampleFormat == SND_PCM_FORMAT_UNKNOWN || !consistent) {
        return pcm ? -EBUSY : -EINVAL;
    }
    snd_pcm_t* handle = nullptr;
    int result =
        snd_pcm_open(&handle, deviceName.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (result < 0) {
        return result;
    }
    std::unique_ptr<snd_pcm_t, PcmCloser> opened(handle);
    result = snd_pcm_set_params(handle, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                                wanted.channels, wanted.samplesPerSecond, 1, RingMicroseconds);
    if (result < 0) {
        return result;
    }
    pcm = std::move(opened);
    format = wanted;
    started = false;
    return 0;
}

MixerResult AlsaCapture::Prepare(CaptureBuffer& buffer) {
    if (buffer.data.empty()) {
        return -EINVAL;
    }
    buffer.prepared = true;
    return 0;
}

MixerResult AlsaCapture::Add(CaptureBuffer& buffer) {
    if (!pcm) {
        return -EBADFD;
    }
    if (!buffer.prepared || buffer.queued) {
        return -EINVAL;
    }
    buffer.recorded = 0;
    buffer.done = false;
    buffer.queued = true;
    lent.push_back(&buffer);
    return 0;
}

MixerResult AlsaCapture::Start() {
    if (!pcm) {
        return -EBADFD;
    }
    const int result = snd_pcm_start(pcm.get());
    started = result == 0;
    return result;
}

MixerResult AlsaCapture::Reset() {
    if (!pcm) {
        return -EBADFD;
    }
    heldPeak = 0;
    HandBackAll();
    started = false;
    snd_pcm_drop(pcm.get());
    return snd_pcm_prepare(pcm.get());
}

MixerResult AlsaCapture::Stop() {
    if (!pcm) {
        return -EBADFD;
    }
    if (started) {
        Collect();
    }
    // A buffer that holds part of a recording is returned with what it has; empty ones stay lent.
    if (!lent.empty() && lent.front()->recorded > 0) {
        HandBack(*lent.front());
        lent.pop_front();
    }
    started = false;
    heldPeak = 0;
    snd_pcm_drop(pcm.get());
    return snd_pcm_prepare(pcm.get());
}

MixerResult AlsaCapture::Unprepare(CaptureBuffer& buffer) {
    if (buffer.queued) {
        return -EBUSY;
    }
    buffer.prepared = false;
    return 0;
}

MixerResult AlsaCapture::Close() {
    if (!pcm) {
        return -EBADFD;
    }
    heldPeak = 0;
    HandBackAll();
    started = false;
    pcm.reset();
    return 0;
}

int32_t AlsaCapture::Collect() {
    int32_t peak = 0;
    bool moved = false;
    bool restarted = false;
    while (started && !lent.empty()) {
        CaptureBuffer& buffer = *lent.front();
        const std::size_t before = buffer.recorded;
        const long frames = ReadInto(buffer);
        if ((frames == -EPIPE || frames == -ESTRPIPE) && !restarted) {
            restarted = true;
            Restart();
            continue;
        }
        if (frames <= 0) {
            break;
        }
        moved = true;
        peak = Louder(peak, PeakOf(buffer.data.data() + before, buffer.recorded - before));
        if (buffer.recorded + format.blockAlign > buffer.data.size()) {
            HandBack(buffer);
            lent.pop_front();
        }
    }
    if (moved) {
        heldPeak = peak;
    }
    return heldPeak;
}

long AlsaCapture::ReadInto(CaptureBuffer& buffer) {
    const std::size_t room = (buffer.data.size() - buffer.recorded) / format.blockAlign;
    const snd_pcm_sframes_t frames =
        snd_pcm_readi(pcm.get(), buffer.data.data() + buffer.recorded, room);
    if (frames > 0) {
        buffer.recorded += static_cast<std::size_t>(frames) * format.blockAlign;
    }
    return frames;
}

// After an overrun the PCM stops; it is set going again at once because a buffer is waiting.
void AlsaCapture::Restart() {
    if (snd_pcm_prepare(pcm.get()) < 0 || snd_pcm_start(pcm.get()) < 0) {
        started = false;
    }
}

void AlsaCapture::HandBack(CaptureBuffer& buffer) {
    buffer.queued = false;
    buffer.done = true;
}

void AlsaCapture::HandBackAll() {
    for (CaptureBuffer* buffer : lent) {
        HandBack(*buffer);
    }
    lent.clear();
}

int32_t AlsaCapture::PeakOf(const uint8_t* bytes, std::size_t count) const {
    int32_t peak = 0;
    if (format.bitsPerSample == 8) {
        for (std::size_t i = 0; i < count; ++i) {
            peak = Louder(peak, (static_cast<int32_t>(bytes[i]) - 128) * 256);
        }
        return peak;
    }
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        const auto sample = static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8));
        peak = Louder(peak, sample);
    }
    return peak;
}
