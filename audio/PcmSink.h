#pragma once

#include <cstdint>
#include <span>

// What a sound stream pulls its frames from: 16-bit frames at 44 100 Hz, asked for on the stream's
// own thread whenever the stream has room.
class PcmSource {
public:
    virtual ~PcmSource() = default;
    // The stream has played every frame before `frames` (its own estimate). Reported before each
    // Fill, never after a Fill that let the stream sleep.
    virtual void Heard(int64_t frames) = 0;
    // Fills the next interleaved frames, the same signal on every channel. False when nothing will
    // sound for a while: the stream sleeps after these frames until it is woken.
    virtual bool Fill(std::span<int16_t> out, int32_t channels) = 0;
};

// A sound stream that pulls its frames from a source on a thread of its own, and sleeps when the
// source says so. The source must outlive the stream.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual void Start(PcmSource& source) = 0;
    // Any thread, without waiting: a sleeping stream drops what it still held and pulls again.
    virtual void Wake() = 0;
    // The stream broke off for good (the server went away).
    virtual bool Failed() const = 0;
    // Times the stream ran dry while it played: each moved every later frame.
    virtual int64_t Underruns() const = 0;
};
