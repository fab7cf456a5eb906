#pragma once

#include "FrameClock.h"
#include "PcmSink.h"
#include "SamplePlayer.h"
#include "SoundOutput.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>

// The real sound output: one stream that pulls the samples from a one-voice player. The frames
// the stream has played are the frame clock's time, and a step due at tick d starts at frame
// FrameOf(d) + ScheduleFrames: it is heard exactly ScheduleFrames after it was due, and every click
// lies on the frame grid of its due tick. While the beat is off and the last sample has been
// played the stream sleeps; the first sample after that wakes it and lays the clock's frames
// afresh under its due tick. Without a stream every request is dropped and the clock runs on the
// steady clock.
class StreamOutput final : public SoundOutput, private PcmSource {
public:
    // The frames the stream asks for at a time (5.8 ms): each request wakes a thread, which costs
    // more than the request itself.
    static constexpr int32_t BufferFrames = 256;
    // What the stream keeps in flight (17.4 ms), enough to ride out a busy machine.
    static constexpr int32_t StreamFrames = 3 * BufferFrames;
    // How far after its due tick a step is heard. A frame is written the stream's latency (about
    // what it keeps in flight) before it is heard, and rendered up to one buffer before that; what
    // is left (3 ms) is the time the main thread may take to notice that the step is due: its
    // timer's lateness and a short spell of other work.
    static constexpr int32_t ScheduleFrames = StreamFrames + BufferFrames + 132;
    // After the last sound the stream runs on this long before it sleeps, so that nothing that
    // still sounds is cut off.
    static constexpr int64_t LingerFrames = 2 * StreamFrames;

    // Opens the stream, or gives null and says why not.
    using SinkOpener = std::function<std::unique_ptr<PcmSink>(std::string& problem)>;

    // The stream is opened from a thread with real-time priority, which every thread that its
    // library starts inherits; without a stream the program runs silently.
    StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank);
    ~StreamOutput() override;
    StreamOutput(const StreamOutput&) = delete;
    StreamOutput& operator=(const StreamOutput&) = delete;

    // The desktop's sound server, else the ALSA device "default"; null with the reasons why not.
    static std::unique_ptr<PcmSink> OpenDefaultSink(std::string& problem);

    void PlaySample(std::string_view fileName, double dueTick) override;
    void Playing(bool on) override;
    double PlayDelayMs() const override;

    bool IsOpen() const { return sink && !sink->Failed(); }
    // Why there is no stream; empty while there is one.
    const std::string& Problem() const { return problem; }
    int64_t LateStarts() const { return player.LateStarts(); }
    int64_t Underruns() const { return sink ? sink->Underruns() : 0; }
    // The stream sleeps (the beat is off and nothing sounds).
    bool Sleeping() const { return state.load() == Idle; }

private:
    enum State : int { Running, Idle };

    void Heard(int64_t frames) override;
    bool Fill(std::span<int16_t> out, int32_t channels) override;

    FrameClock& clock;
    SamplePlayer player;
    std::string problem;
    std::atomic<int> state{Idle};
    std::atomic<bool> playing{false};
    // Stream thread: frames rendered since the last sound.
    int64_t quietFrames = 0;
    std::unique_ptr<PcmSink> sink;
};
