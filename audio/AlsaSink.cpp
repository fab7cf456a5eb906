#include "AlsaSink.h"

#include "RealTimePriority.h"
#include "SampleFile.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

void AlsaSink::Closer::operator()(snd_pcm_t* p) const {
    snd_pcm_close(p);
}

AlsaSink::AlsaSink(snd_pcm_t* opened, int32_t channels, int32_t requestFrames)
    : pcm(opened)
    , channels(channels)
    , requestFrames(requestFrames)
    , wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
    , buffer(static_cast<std::size_t>(requestFrames * channels)) {}

AlsaSink::~AlsaSink() {
    if (thread.joinable()) {
        thread.request_stop();
        Wake();
        thread.join();
    }
    if (wakeFd >= 0) {
        close(wakeFd);
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
    const uint64_t one = 1;
    // A full counter already holds a wake-up that has not been taken; nothing is lost.
    (void)write(wakeFd, &one, sizeof one);
}

void AlsaSink::Run(const std::stop_token& stop, PcmSource& source) {
    RaiseToRealTimePriority();
    fds.resize(static_cast<std::size_t>(std::max(snd_pcm_poll_descriptors_count(pcm.get()), 0)) +
               1);
    while (!stop.stop_requested()) {
        const int64_t played = written - DelayFrames();
        source.Heard(played);
        const int64_t fixedBefore = played + FixedFrames;
        const int64_t changed = std::max(source.TakeChanges(fixedBefore), fixedBefore);
        if ((changed < written && !Rewind(changed)) || !Fill(source)) {
            failed = true;
            return;
        }
        WaitForRoomOrWake();
    }
}

// Takes back what the device holds from `to` on, as far as it lets go of it.
bool AlsaSink::Rewind(int64_t to) {
    const snd_pcm_sframes_t rewindable = snd_pcm_rewindable(pcm.get());
    const int64_t back =
        std::min<int64_t>(written - to, std::max<snd_pcm_sframes_t>(rewindable, 0));
    if (back <= 0) {
        return true;
    }
    const snd_pcm_sframes_t done = snd_pcm_rewind(pcm.get(), static_cast<snd_pcm_uframes_t>(back));
    if (done > 0) {
        written -= done;
    }
    return true;
}

// Writes as many whole requests as the device has room for.
bool AlsaSink::Fill(PcmSource& source) {
    for (;;) {
        const snd_pcm_sframes_t room = snd_pcm_avail_update(pcm.get());
        if (room < 0) {
            // An underrun or a suspend: the device starts over.
            ++underruns;
            if (snd_pcm_recover(pcm.get(), static_cast<int>(room), 1) < 0) {
                return false;
            }
            continue;
        }
        const int64_t frames = std::min<int64_t>(room, requestFrames);
        if (frames <= 0) {
            return true;
        }
        source.Render(written,
                      std::span(buffer.data(), static_cast<std::size_t>(frames * channels)),
                      channels);
        const snd_pcm_sframes_t done =
            snd_pcm_writei(pcm.get(), buffer.data(), static_cast<snd_pcm_uframes_t>(frames));
        if (done < 0) {
            ++underruns;
            if (snd_pcm_recover(pcm.get(), static_cast<int>(done), 1) < 0) {
                return false;
            }
            continue;
        }
        written += done;
    }
}

void AlsaSink::WaitForRoomOrWake() {
    fds[0] = {wakeFd, POLLIN, 0};
    snd_pcm_poll_descriptors(pcm.get(), &fds[1], static_cast<unsigned>(fds.size() - 1));
    // A wait that fails or times out only means the loop looks again.
    (void)poll(fds.data(), fds.size(), 1000);
    if ((fds[0].revents & POLLIN) != 0) {
        uint64_t wakes = 0;
        (void)read(wakeFd, &wakes, sizeof wakes);
    }
}

int64_t AlsaSink::DelayFrames() {
    snd_pcm_sframes_t delay = 0;
    return snd_pcm_delay(pcm.get(), &delay) == 0 && delay > 0 ? delay : 0;
}
