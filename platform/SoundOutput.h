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
};
