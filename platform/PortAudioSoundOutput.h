#pragma once

#include "SamplePlayer.h"
#include "SoundOutput.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

class SteadyTickSource;
struct PaStreamCallbackTimeInfo;

// The real sound output: one PortAudio stream on the default output device, opened once and kept
// running, into which a SamplePlayer renders the four samples from beside the program. Due ticks
// are milliseconds since the tick source's origin. When no device can be opened the program runs
// silently: requests are dropped and nothing else changes.
class PortAudioSoundOutput final : public SoundOutput {
public:
    explicit PortAudioSoundOutput(const SteadyTickSource& ticks);
    PortAudioSoundOutput(std::chrono::steady_clock::time_point origin,
                         const std::filesystem::path& sampleFolder);
    ~PortAudioSoundOutput() override;
    PortAudioSoundOutput(const PortAudioSoundOutput&) = delete;
    PortAudioSoundOutput& operator=(const PortAudioSoundOutput&) = delete;

    void PlaySample(std::string_view fileName, double dueTick) override;

    bool IsOpen() const { return stream != nullptr; }
    // Why no stream is open, for the user; empty while one is.
    const std::string& FailureReason() const { return failure; }
    // From a step's due tick to the moment its sample is played.
    double OutputLatencyMs() const { return player ? player->LatencyMs() : 0.0; }
    // The stream runs and its clock is fitted well enough to place samples to the frame.
    bool Settled() const { return player && player->Settled(); }
    const SamplePlayer* Player() const { return player.get(); }

    // The device is asked for buffers of this many frames, four of them in flight: few enough
    // wake-ups of the audio threads to cost little, and enough buffered sound to ride out a sound
    // server that is kept waiting by a busy machine.
    static constexpr unsigned long FramesPerBuffer = 512;
    static constexpr double SuggestedDeviceLatency = 4 * FramesPerBuffer / 44100.0;
    // Lateness of a request that is still placed on its frame: the main loop sleeps 1 ms between
    // passes and may be held up a few more by the rest of the window.
    static constexpr double LatenessMarginMs = 12.0;
    // What a sound server adds to the device's own latency: up to 22 ms measured on PulseAudio's
    // null sink with a recorder on its monitor.
    static constexpr double ServerAllowanceMs = 25.0;

private:
    struct Session;
    struct StreamCloser {
        void operator()(void* stream) const;
    };

    bool Open(const std::filesystem::path& sampleFolder);
    static bool Start(void* opened, bool alsa);
    static int Callback(const void* input, void* output, unsigned long frames,
                        const PaStreamCallbackTimeInfo* timeInfo, unsigned long statusFlags,
                        void* self);
    double DelayMs(const PaStreamCallbackTimeInfo* timeInfo) const;

    std::chrono::steady_clock::time_point origin;
    std::unique_ptr<Session> session;
    std::unique_ptr<SamplePlayer> player;
    int32_t channels = 1;
    double deviceLatencyMs = 0.0;
    std::string failure;
    std::unique_ptr<void, StreamCloser> stream;
};
