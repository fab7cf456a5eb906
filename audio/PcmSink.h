#pragma once

#include <cstdint>
#include <span>

// A sound stream that takes 16-bit frames at 44 100 Hz by blocking writes: a write returns once
// the stream has room for what it was given, so the writer is paced by the device's own clock.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual int32_t Channels() const = 0;
    // Interleaved frames, Channels() words each. False when the stream has failed for good.
    virtual bool Write(std::span<const int16_t> words) = 0;
    // Milliseconds from a frame written now until it is heard, as the stream reports it.
    virtual double LatencyMs() = 0;
};
