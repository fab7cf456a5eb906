#pragma once

#include "ClickChain.h"
#include "RequestQueue.h"
#include "SampleBank.h"
#include "SoundOutput.h"
#include "StreamClock.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

// One voice that plays the bank's samples into a sound stream, each starting at the very frame
// that belongs to its step's due tick plus a fixed latency: the frame that the device plays
// that much later than the step was due. The stream clock says where that frame lies; the click
// chain keeps successive clicks evenly apart. Requests come from the main thread through a
// lock-free queue; Render runs on the audio thread and neither allocates, blocks nor touches a
// file. A request whose frame lies in a later buffer waits for it; one whose frame has already gone
// by starts at once. A new sample cuts off the one still sounding.
class SamplePlayer final : public SoundOutput {
public:
    static constexpr double FramesPerSecond = 44100.0;
    // The cut-off sample is faded out over this many frames instead of stopping dead, which would
    // click.
    static constexpr int32_t FadeFrames = 64;
    // A due tick further ahead than this is not a step of the running grid; it starts at once
    // rather than occupy a slot.
    static constexpr double MaxAheadMs = 2000.0;

    SamplePlayer(SampleBank bank, double latencyMs);

    // Main thread. Names that the bank lacks play nothing; when the queue is full the request is
    // dropped.
    void PlaySample(std::string_view fileName, double dueTick) override;

    // Audio thread. Fills one buffer of interleaved frames, the same signal on every channel.
    // playMs is the tick at which the device expects to play the buffer's first frame.
    void Render(std::span<int16_t> out, int32_t channels, double playMs);

    double LatencyMs() const { return latencyMs; }
    bool Settled() const { return settled.load(std::memory_order_relaxed); }
    // Samples that started after their frame because their request came too late.
    int64_t LateStarts() const { return lateStarts.load(std::memory_order_relaxed); }
    int64_t ClockRestarts() const { return clockRestarts.load(std::memory_order_relaxed); }

private:
    struct Request {
        int32_t sample = -1;
        double dueMs = 0.0;
    };
    struct Pending {
        int32_t sample = -1;
        int64_t frame = 0;
        uint64_t order = 0;
    };
    struct Voice {
        std::span<const int16_t> words;
        std::size_t pos = 0;
        int32_t fadeLeft = 0;
        bool Sounding() const { return pos < words.size(); }
    };

    void TakeRequests(int64_t bufferStart);
    int NextDue(int64_t bufferEnd) const;
    void Start(int32_t sample);
    void Mix(std::span<int16_t> out, int32_t channels, int64_t from, int64_t to);

    SampleBank bank;
    double latencyMs;
    StreamClock clock;
    RequestQueue<Request, 64> requests;
    std::array<Pending, 32> pending{};
    std::size_t pendingCount = 0;
    uint64_t nextOrder = 0;
    Voice voice;
    Voice fading;
    int64_t framesRendered = 0;
    ClickChain chain;
    int64_t chainRestarts = 0;
    std::atomic<bool> settled{false};
    std::atomic<int64_t> lateStarts{0};
    std::atomic<int64_t> clockRestarts{0};
};
