#pragma once

#include "RequestQueue.h"
#include "SampleBank.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string_view>

// One voice that plays the bank's samples into a sound stream, each starting at the stream frame
// its request names. Requests come from the main thread through a lock-free queue; Render runs on
// the stream's thread and neither allocates, blocks nor touches a file. A request whose frame lies
// in a later buffer waits for it; one whose frame has already gone by starts at once. A new sample
// cuts off the one still sounding.
class SamplePlayer {
public:
    // The cut-off sample is faded out over this many frames instead of stopping dead, which would
    // click.
    static constexpr int32_t FadeFrames = 64;
    // A frame further ahead than this (two seconds) is not a step of the running grid; it starts
    // at once rather than occupy a slot.
    static constexpr int64_t MaxAheadFrames = 88200;

    explicit SamplePlayer(SampleBank bank);

    // Main thread. Names that the bank lacks play nothing; when the queue is full the request is
    // dropped. False when nothing was queued.
    bool PlaySample(std::string_view fileName, int64_t frame);

    // Stream thread. Fills the next buffer of interleaved frames, the same signal on every channel.
    void Render(std::span<int16_t> out, int32_t channels);
    // Stream thread: no sample sounds and none waits.
    bool Quiet() const;

    // The first frame of the next buffer; read by the main thread only while the stream sleeps.
    int64_t NextFrame() const { return nextFrame.load(std::memory_order_acquire); }
    // Samples that started after their frame because their request came too late.
    int64_t LateStarts() const { return lateStarts.load(std::memory_order_relaxed); }

private:
    struct Request {
        int32_t sample = -1;
        int64_t frame = 0;
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
    RequestQueue<Request, 64> requests;
    std::array<Pending, 32> pending{};
    std::size_t pendingCount = 0;
    uint64_t nextOrder = 0;
    Voice voice;
    Voice fading;
    std::atomic<int64_t> nextFrame{0};
    std::atomic<int64_t> lateStarts{0};
};
