#include "AlsaSink.h"

#include <alsa/asoundlib.h>

void AlsaSink::Closer::operator()(snd_pcm_t* p) const {
    snd_pcm_close(p);
}

AlsaSink::AlsaSink(snd_pcm_t* opened, int32_t channels)
    : pcm(opened)
    , channels(channels) {}

std::unique_ptr<AlsaSink> AlsaSink::Open(const std::string& device, int32_t bufferFrames,
                                         std::string& problem) {
    snd_pcm_t* opened = nullptr;
    int error = snd_pcm_open(&opened, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (error < 0) {
        problem = "no sound device could be opened: " + std::string(snd_strerror(error));
        return nullptr;
    }
    const auto latencyUs = static_cast<unsigned>(bufferFrames * 1000000LL / 44100);
    for (const int32_t channels : {1, 2}) {
        error = snd_pcm_set_params(opened, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                                   static_cast<unsigned>(channels), 44100, 1, latencyUs);
        if (error == 0) {
            return std::make_unique<AlsaSink>(opened, channels);
        }
    }
    snd_pcm_close(opened);
    problem =
        "the sound device takes no 16-bit stream at 44100 Hz: " + std::string(snd_strerror(error));
    return nullptr;
}

bool AlsaSink::Write(std::span<const int16_t> words) {
    auto frames = static_cast<snd_pcm_uframes_t>(words.size() / static_cast<std::size_t>(channels));
    const int16_t* from = words.data();
    while (frames > 0) {
        snd_pcm_sframes_t written = snd_pcm_writei(pcm.get(), from, frames);
        if (written < 0) {
            // An underrun (the stream slept while the beat was off) or a suspend: start over.
            written = snd_pcm_recover(pcm.get(), static_cast<int>(written), 1);
            if (written < 0) {
                return false;
            }
            continue;
        }
        frames -= static_cast<snd_pcm_uframes_t>(written);
        from += written * channels;
    }
    return true;
}

double AlsaSink::LatencyMs() {
    snd_pcm_sframes_t delay = 0;
    return snd_pcm_delay(pcm.get(), &delay) == 0 && delay > 0 ? static_cast<double>(delay) / 44.1
                                                              : 0.0;
}
