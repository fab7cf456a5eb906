#pragma once

#include <string_view>

// Asynchronous one-voice sample playback. A request names a sample by its bare file name
// ("boom.wav") and carries the tick at which its step was due, so that the output can place the
// sample exactly on the rhythm's grid however late the request arrives. Starting a sample cuts off
// the one still sounding; the call returns at once.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    virtual void PlaySample(std::string_view fileName, double dueTick) = 0;
    // The beat starts or stops. While it plays, the output keeps its stream running so that every
    // click of the grid lands on the same frame clock; stopped, it may let the stream sleep.
    virtual void Playing(bool on) { (void)on; }
    // Milliseconds from a step's due tick until its sample is heard: what the display waits
    // before it shows the step.
    virtual double PlayDelayMs() const { return 0.0; }
};
