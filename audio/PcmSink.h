#pragma once

#include <cstdint>
#include <span>

// What a sound stream pulls its frames from: 16-bit frames at 44 100 Hz, numbered from the
// stream's first frame, asked for on the stream's own thread. The stream may write a stretch it
// wrote before once more, when the source says that its sound changed.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    // The stream has played every frame before `frames` (its own estimate).
    virtual void Heard(int64_t frames) = 0;
    // The first frame whose sound changed since the last call, or the largest frame number when
    // none did. Frames before `fixedBefore` are on their way to the speaker and stay as written.
    virtual int64_t TakeChanges(int64_t fixedBefore) = 0;
    // Fills the frames from `from` on, interleaved, the same signal on every channel.
    virtual void Render(int64_t from, std::span<int16_t> out, int32_t channels) = 0;
    // Nothing sounds from the frames not yet fixed on (after TakeChanges).
    virtual bool Quiet() = 0;
    // The stream's way to the speaker broke off (true) or is back (false). Frames go on being
    // numbered as if it had played meanwhile.
    virtual void Lost(bool lost) { (void)lost; }
};

// A sound stream that pulls its frames from a source on a thread of its own, keeping a deep buffer
// in flight, and writes again what the source changed. The source must outlive the stream.
class PcmSink {
public:
    // What lies this close after the play position is taken to be on its way to the speaker
    // (4 ms, a little more than the device's latency): it is never written again.
    static constexpr int64_t FixedFrames = 176;

    virtual ~PcmSink() = default;
    virtual void Start(PcmSource& source) = 0;
    // Any thread, without waiting: the source has changes to take.
    virtual void Wake() = 0;
    // The stream broke off for good.
    virtual bool Failed() const = 0;
    // Times the stream ran dry: the frames due meanwhile were not heard.
    virtual int64_t Underruns() const = 0;
};
