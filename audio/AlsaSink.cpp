#include "AlsaSink.h"

#include "RealTimePriority.h"
#include "SampleFile.h"

#include <alsa/asoundlib.h>
#include <vector>

void AlsaSink::Closer::operator()(snd_pcm_t* p) const {
    snd_pcm_close(p);
}

AlsaSink::AlsaSink(snd_pcm_t* opened, int32_t channels, int32_t requestFrames)
    : pcm(opened)
    , channels(channels)
    , requestFrames(requestFrames) {}

AlsaSink::~AlsaSink() {
    if (thread.joinable()) {
        thread.request_stop();
        Wake();
        thread.join();
    }
}

std::unique_ptr<AlsaSink> AlsaSink::Open(const std::string& device, int32_t bufferFrames,
                                         int32_t requestFrames, std::string& problem) {
    snd_pcm_t* opened = nullptr;
    int error = snd_pcm_open(&opened, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0);
    if (error < 0) {
        problem = "no sound device could be opened: " + std::string(snd_strerror(error));
        return nullptr;
    }
    const auto latencyUs =
        static_cast<unsigned>(bufferFrames * 1000000LL / SampleFile::FramesPerSecond);
    for (const int32_t channels : {1, 2}) {
        error =
            snd_pcm_set_params(opened, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                               static_cast<unsigned>(channels),
                               static_cast<unsigned>(SampleFile::FramesPerSecond), 1, latencyUs);
        if (error == 0) {
            return std::make_unique<AlsaSink>(opened, channels, requestFrames);
        }
    }
    snd_pcm_close(opened);
    problem =
        "the sound device takes no 16-bit stream at 44100 Hz: " + std::string(snd_strerror(error));
    return nullptr;
}

void AlsaSink::Start(PcmSource& source) {
    thread = std::jthread([this, &source](const std::stop_token& stop) { Run(stop, source); });
}

void AlsaSink::Wake() {
    wakes.fetch_add(1);
    wakes.notify_one();
}

void AlsaSink::Run(const std::stop_token& stop, PcmSource& source) {
    RaiseToRealTimePriority();
    std::vector<int16_t> buffer(static_cast<std::size_t>(requestFrames * channels));
    int64_t written = 0;
    // Nothing is written before the first sound.
    wakes.wait(0);
    while (!stop.stop_requested()) {
        source.Heard(written - static_cast<int64_t>(DelayFrames()));
        const uint32_t wokenBefore = wakes.load();
        const bool goOn = source.Fill(buffer, channels);
        if (!Write(buffer.data(), requestFrames)) {
            failed = true;
            return;
        }
        written += requestFrames;
        if (!goOn) {
            wakes.wait(wokenBefore);
            // What the device still held is silence after the last sound.
            snd_pcm_drop(pcm.get());
            snd_pcm_prepare(pcm.get());
        }
    }
}

bool AlsaSink::Write(const int16_t* words, int64_t frames) {
    while (frames > 0) {
        snd_pcm_sframes_t done =
            snd_pcm_writei(pcm.get(), words, static_cast<snd_pcm_uframes_t>(frames));
        if (done < 0) {
            // An underrun or a suspend: the device starts over.
            ++underruns;
            done = snd_pcm_recover(pcm.get(), static_cast<int>(done), 1);
            if (done < 0) {
                return false;
            }
            continue;
        }
        frames -= done;
        words += done * channels;
    }
    return true;
}

double AlsaSink::DelayFrames() {
    snd_pcm_sframes_t delay = 0;
    return snd_pcm_delay(pcm.get(), &delay) == 0 && delay > 0 ? static_cast<double>(delay) : 0.0;
}
