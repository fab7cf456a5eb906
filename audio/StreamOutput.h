#pragma once

#include "FrameClock.h"
#include "PcmSink.h"
#include "SamplePlayer.h"
#include "SoundOutput.h"

#include <functional>
#include <memory>
#include <string>

// The real sound output: one stream, running for the whole program, that pulls its frames from a
// one-voice player. The frames it has played are the frame clock's time, and a sample laid at a
// frame of the clock starts on that very frame of the stream. The stream keeps a deep buffer in
// flight, so a thread that wakes late never lets it run dry; a sample laid or withdrawn inside what
// it has written makes it write that stretch again. Without a stream every request is dropped and
// the clock runs on the steady clock.
class StreamOutput final : public SoundOutput, private PcmSource {
public:
    // What the stream keeps in flight (200 ms), and the frames it asks for at a time (98.5 ms): it
    // wakes about ten times a second. The sound server gives its device a latency of what is in
    // flight less two requests (3 ms): only what the device has taken is beyond a change.
    static constexpr int32_t StreamFrames = 8820;
    static constexpr int32_t RequestFrames = 4344;
    // A sample laid now starts on its frame if the frame is at least this far ahead (20 ms): the
    // stream's thread wakes, takes the request and writes before the server reads there. 5 ms cut
    // the start of a first click about one start in five on an idle virtual machine, whose threads
    // wait for a core of their own; 10 ms still one in seven.
    static constexpr int64_t LeadFrames = 882;

    // Opens the stream, or gives null and says why not.
    using SinkOpener = std::function<std::unique_ptr<PcmSink>(std::string& problem)>;

    // Told on the stream's thread when the way to the speaker breaks off (true) and when it is
    // back (false); the beat goes on meanwhile, silently.
    using LossReport = std::function<void(bool lost)>;

    // The stream is opened from a thread with real-time priority, which every thread that its
    // library starts inherits; without a stream the program runs silently.
    StreamOutput(FrameClock& clock, const SinkOpener& openSink, SampleBank bank,
                 LossReport lossReport = {});
    ~StreamOutput() override;
    StreamOutput(const StreamOutput&) = delete;
    StreamOutput& operator=(const StreamOutput&) = delete;

    // The desktop's sound server, else the ALSA device "default"; null with the reasons why not.
    static std::unique_ptr<PcmSink> OpenDefaultSink(std::string& problem);

    void PlaySample(std::string_view fileName, int64_t frame) override;
    void Withdraw(int64_t frame) override;
    int64_t EarliestFrame(int64_t now) const override;

    bool IsOpen() const { return sink && !sink->Failed(); }
    // Why there is no stream; empty while there is one.
    const std::string& Problem() const { return problem; }
    int64_t LateStarts() const { return player.LateStarts(); }
    int64_t Underruns() const { return sink ? sink->Underruns() : 0; }

private:
    void Heard(int64_t frames) override;
    int64_t TakeChanges(int64_t fixedBefore) override;
    void Render(int64_t from, std::span<int16_t> out, int32_t channels) override;
    bool Quiet() override { return player.Quiet(); }
    void Lost(bool lost) override;

    FrameClock& clock;
    SamplePlayer player;
    std::string problem;
    LossReport lossReport;
    std::unique_ptr<PcmSink> sink;
};
