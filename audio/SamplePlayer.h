#pragma once

#include "RequestQueue.h"
#include "SampleBank.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

// One voice that plays the bank's samples into a sound stream, each starting on the stream frame
// it was laid at. Samples are laid and withdrawn ahead of time from the main thread through a
// lock-free queue; the stream's thread keeps them in frame order and renders any stretch of
// frames from that schedule alone, so that a stretch already written can be written again after
// a change. The stream's thread neither allocates, blocks nor touches a file. A new sample cuts
// off the one still sounding, which fades out instead of stopping dead.
class SamplePlayer {
public:
    // The cut-off sample fades out over this many frames; stopping dead would click.
    static constexpr int32_t FadeFrames = 64;
    // Nothing changed.
    static constexpr int64_t NoChange = std::numeric_limits<int64_t>::max();

    explicit SamplePlayer(SampleBank bank);

    // Main thread. Names that the bank lacks play nothing; when the queue is full the request is
    // dropped. False when nothing was queued.
    bool PlaySample(std::string_view fileName, int64_t frame);
    // Main thread: the samples laid at `frame` or later are withdrawn.
    void Withdraw(int64_t frame);

    // Stream thread. Takes the requests that came in; what lies before `fixedBefore` has been
    // written for good. A sample laid there starts at `fixedBefore` instead (it came late), and a
    // withdrawal spares the samples that start there. Returns the first frame whose sound
    // changed, or NoChange.
    int64_t TakeRequests(int64_t fixedBefore);
    // Stream thread: the frames from `from` on, interleaved, the same signal on every channel.
    void Render(int64_t from, std::span<int16_t> out, int32_t channels) const;
    // Stream thread: forgets the samples that no longer sound at `frame` or after it.
    void Forget(int64_t frame);
    // Stream thread: nothing is laid that has not been forgotten.
    bool Quiet() const { return count == 0; }

    // Samples that started after their frame because they were laid too late.
    int64_t LateStarts() const { return lateStarts.load(std::memory_order_relaxed); }

private:
    struct Request {
        int32_t sample = -1; // -1: a withdrawal
        int64_t frame = 0;
    };
    struct Laid {
        int32_t sample = -1;
        int64_t frame = 0;
    };

    int64_t Insert(Laid laid);
    int64_t Remove(int64_t from);
    int64_t Length(const Laid& laid) const;
    int32_t Value(std::size_t index, int64_t frame) const;

    SampleBank bank;
    RequestQueue<Request, 512> requests;
    // In frame order; of two samples on one frame the one laid later starts last, and wins.
    std::array<Laid, 256> schedule{};
    std::size_t count = 0;
    std::atomic<int64_t> lateStarts{0};
};
