#pragma once

#include <cstdint>
#include <string_view>

// One-voice sample playback on the beat's frames. A sample is laid at the frame at which it must
// start, ahead of time; starting a sample cuts off the one still sounding. Samples laid ahead can
// be withdrawn until they start. Every call returns at once.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Lays the sample named by its bare file name ("boom.wav") at `frame` of the tick source.
    virtual void PlaySample(std::string_view fileName, int64_t frame) = 0;
    // Withdraws every sample laid at `frame` or later that has not started; a sample already
    // sounding plays to its end.
    virtual void Withdraw(int64_t frame) { (void)frame; }
    // The earliest frame at which a sample laid now still starts on its frame: before it, what the
    // output holds is on its way to the speaker and can no longer change.
    virtual int64_t EarliestFrame(int64_t now) const { return now; }
};
