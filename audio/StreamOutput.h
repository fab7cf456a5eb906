#pragma once

#include "FrameClock.h"
#include "PcmSink.h"
#include "SamplePlayer.h"
#include "SoundOutput.h"

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

// The real sound output: one stream, fed by a thread of its own that renders the samples in short
// buffers and hands them to the stream. The frames the stream has played are the frame clock's
// time, and a step due at tick d starts at frame FrameOf(d) + ScheduleFrames: it is heard exactly
// ScheduleFrames after it was due, and every click lies on the frame grid of its due tick. While
// the beat is off and the last sample has been played the thread sleeps; the first sample after
// that wakes it and lays the clock's frames afresh under its due tick. Without a stream every
// request is dropped and the clock runs on the steady clock.
class StreamOutput final : public SoundOutput {
public:
    // The frames of one buffer: 2.9 ms.
    static constexpr int32_t BufferFrames = 128;
    // What the stream keeps in flight: six buffers (17.4 ms), enough to ride out a busy machine.
    static constexpr int32_t StreamFrames = 6 * BufferFrames;
    // How far after its due tick a step is heard. A frame is written the stream's latency (about
    // what it keeps in flight) before it is heard, and its buffer is rendered one buffer before
    // that; what is left (3 ms) is the time the main thread may take to notice that the step is
    // due: its timer's lateness and a short spell of other work.
    static constexpr int32_t ScheduleFrames = StreamFrames + BufferFrames + 132;

    // Opens the stream, or gives null and says why not.
    using SinkOpener = std::function<std::unique_ptr<PcmSink>(std::string& problem)>;

    // The stream is opened on the stream's own thread, so that every thread its library starts
    // inherits that thread's real-time priority; without a stream the program runs silently.
    StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank);
    ~StreamOutput() override;
    StreamOutput(const StreamOutput&) = delete;
    StreamOutput& operator=(const StreamOutput&) = delete;

    // The desktop's sound server, else the ALSA device "default"; null with the reasons why not.
    static std::unique_ptr<PcmSink> OpenDefaultSink(std::string& problem);

    void PlaySample(std::string_view fileName, double dueTick) override;
    void Playing(bool on) override;
    double PlayDelayMs() const override;

    bool IsOpen() const { return state.load() != Failed; }
    // Why there is no stream; empty while there is one.
    const std::string& Problem() const { return problem; }
    int64_t LateStarts() const { return player.LateStarts(); }
    // The stream thread sleeps (the beat is off and nothing sounds).
    bool Sleeping() const { return state.load() == Idle; }

private:
    enum State : int { Running, Idle, Failed };

    void Run(const std::stop_token& stop, const SinkOpener& openSink, std::promise<void>& opened);
    bool GoIdle(const std::stop_token& stop);

    FrameClock& clock;
    std::unique_ptr<PcmSink> sink;
    SamplePlayer player;
    std::atomic<int> state{Failed};
    std::atomic<bool> playing{false};
    std::string problem;
    std::jthread thread;
};
