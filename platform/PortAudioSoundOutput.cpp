#include "PortAudioSoundOutput.h"

#include "ProgramFolder.h"
#include "SteadyTickSource.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cmath>
#include <jack/jack.h>
#include <pa_linux_alsa.h>
#include <portaudio.h>

namespace {

// Probing the devices makes ALSA and JACK print every configuration they cannot open; the
// program keeps no log, and a missing device is handled by running silently.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
void QuietJack(const char*) {}

} // namespace

struct PortAudioSoundOutput::Session {
    Session() {
        snd_lib_error_set_handler(QuietAlsa);
        jack_set_error_function(QuietJack);
        jack_set_info_function(QuietJack);
        ok = Pa_Initialize() == paNoError;
    }
    ~Session() {
        if (ok) {
            Pa_Terminate();
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    bool ok = false;
};

void PortAudioSoundOutput::StreamCloser::operator()(void* stream) const {
    Pa_AbortStream(stream);
    Pa_CloseStream(stream);
}

PortAudioSoundOutput::PortAudioSoundOutput(const SteadyTickSource& ticks)
    : PortAudioSoundOutput(ticks.Origin(), ProgramFolder()) {}

PortAudioSoundOutput::PortAudioSoundOutput(std::chrono::steady_clock::time_point origin,
                                           const std::filesystem::path& sampleFolder)
    : origin(origin)
    , session(std::make_unique<Session>()) {
    if (!Open(sampleFolder)) {
        stream.reset();
        player.reset();
    }
}

PortAudioSoundOutput::~PortAudioSoundOutput() {
    // The callback reads the player: the stream goes first.
    stream.reset();
}

bool PortAudioSoundOutput::Open(const std::filesystem::path& sampleFolder) {
    if (!session->ok) {
        failure = "the sound library could not start";
        return false;
    }
    const PaDeviceIndex device = Pa_GetDefaultOutputDevice();
    const PaDeviceInfo* info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (info == nullptr || info->maxOutputChannels < 1) {
        failure = "there is no sound output device";
        return false;
    }
    const double latency = std::max(info->defaultLowOutputLatency, SuggestedDeviceLatency);
    PaStream* opened = nullptr;
    PaError error = paNoError;
    // Mono where the device takes it, else the same signal on both channels of a stereo device.
    for (const int32_t tried : {1, 2}) {
        if (tried > info->maxOutputChannels) {
            break;
        }
        const PaStreamParameters parameters{device, tried, paInt16, latency, nullptr};
        error = Pa_OpenStream(&opened, nullptr, &parameters, SamplePlayer::FramesPerSecond,
                              FramesPerBuffer, paNoFlag, &Callback, this);
        if (error == paNoError) {
            channels = tried;
            break;
        }
        opened = nullptr;
    }
    if (opened == nullptr) {
        failure = std::string("the device \"") + info->name + "\" could not be opened (" +
                  Pa_GetErrorText(error) + ")";
        return false;
    }
    stream.reset(opened);
    deviceLatencyMs = Pa_GetStreamInfo(opened)->outputLatency * 1000.0;
    // A request may come this late and still be placed on its frame: after the main loop's own
    // lateness it waits at most one buffer for the next callback, whose buffer is played after
    // the device's and the sound server's latency.
    const double bufferMs = 1000.0 * FramesPerBuffer / SamplePlayer::FramesPerSecond;
    player = std::make_unique<SamplePlayer>(SampleBank::Load(sampleFolder),
                                            LatenessMarginMs + bufferMs + deviceLatencyMs +
                                                ServerAllowanceMs);
    if (!Start(opened, Pa_GetHostApiInfo(info->hostApi)->type == paALSA)) {
        failure = std::string("the device \"") + info->name + "\" would not start playing";
        return false;
    }
    return true;
}

bool PortAudioSoundOutput::Start(PaStream* opened, bool alsa) {
    // A busy machine must not starve the callback: where the system allows it, the callback
    // thread runs with real-time priority.
    if (alsa) {
        PaAlsa_EnableRealtimeScheduling(opened, 1);
        if (Pa_StartStream(opened) == paNoError) {
            return true;
        }
        PaAlsa_EnableRealtimeScheduling(opened, 0);
    }
    return Pa_StartStream(opened) == paNoError;
}

void PortAudioSoundOutput::PlaySample(std::string_view fileName, double dueTick) {
    if (stream) {
        player->PlaySample(fileName, dueTick);
    }
}

int PortAudioSoundOutput::Callback(const void*, void* output, unsigned long frames,
                                   const PaStreamCallbackTimeInfo* timeInfo, unsigned long,
                                   void* self) {
    auto& out = *static_cast<PortAudioSoundOutput*>(self);
    const std::chrono::duration<double, std::milli> now =
        std::chrono::steady_clock::now() - out.origin;
    out.player->Render(std::span(static_cast<int16_t*>(output), frames * out.channels),
                       out.channels, now.count() + out.DelayMs(timeInfo));
    return paContinue;
}

// The device's own estimate of how long until the buffer is played, taken at the moment it asked
// for it: a late audio thread finds the device's queue emptier and the delay shorter, so the
// moment of playing stays put. The sound server asks in bursts and rounds, which makes the moment
// of asking alone a poor measure. A host that gives no estimate gets the stream's latency.
double PortAudioSoundOutput::DelayMs(const PaStreamCallbackTimeInfo* timeInfo) const {
    if (timeInfo == nullptr) {
        return deviceLatencyMs;
    }
    const double delayMs = (timeInfo->outputBufferDacTime - timeInfo->currentTime) * 1000.0;
    return delayMs > 0.0 && delayMs < 1000.0 ? delayMs : deviceLatencyMs;
}
