#include "SamplePlayer.h"

#include <algorithm>

SamplePlayer::SamplePlayer(SampleBank bank)
    : bank(std::move(bank)) {}

bool SamplePlayer::PlaySample(std::string_view fileName, int64_t frame) {
    const int32_t sample = bank.Find(fileName);
    return sample >= 0 && requests.Push({sample, frame});
}

void SamplePlayer::Withdraw(int64_t frame) {
    // A full queue loses the withdrawal only if the stream's thread has stopped taking requests,
    // and then nothing it would have withdrawn is heard either.
    (void)requests.Push({-1, frame});
}

int64_t SamplePlayer::TakeRequests(int64_t fixedBefore) {
    int64_t changed = NoChange;
    while (const auto request = requests.Pop()) {
        if (request->sample < 0) {
            changed = std::min(changed, Remove(std::max(request->frame, fixedBefore)));
            continue;
        }
        int64_t frame = request->frame;
        if (frame < fixedBefore) {
            frame = fixedBefore;
            lateStarts.fetch_add(1, std::memory_order_relaxed);
        }
        changed = std::min(changed, Insert({request->sample, frame}));
    }
    return changed;
}

int64_t SamplePlayer::Insert(Laid laid) {
    if (count == schedule.size()) {
        // Only a stream that stopped forgetting fills the schedule; the newest sample gives way.
        return NoChange;
    }
    const auto end = schedule.begin() + static_cast<std::ptrdiff_t>(count);
    const auto at = std::upper_bound(schedule.begin(), end, laid.frame,
                                     [](int64_t frame, const Laid& l) { return frame < l.frame; });
    std::move_backward(at, end, end + 1);
    *at = laid;
    ++count;
    return laid.frame;
}

int64_t SamplePlayer::Remove(int64_t from) {
    const auto end = schedule.begin() + static_cast<std::ptrdiff_t>(count);
    const auto first = std::lower_bound(
        schedule.begin(), end, from, [](const Laid& l, int64_t frame) { return l.frame < frame; });
    if (first == end) {
        return NoChange;
    }
    const int64_t changed = first->frame;
    count = static_cast<std::size_t>(first - schedule.begin());
    return changed;
}

void SamplePlayer::Forget(int64_t frame) {
    std::size_t gone = 0;
    while (gone < count) {
        const Laid& laid = schedule[gone];
        const bool ended = laid.frame + Length(laid) <= frame;
        const bool fadedOut = gone + 1 < count && schedule[gone + 1].frame + FadeFrames <= frame;
        if (!ended && !fadedOut) {
            break;
        }
        ++gone;
    }
    if (gone > 0) {
        std::move(schedule.begin() + static_cast<std::ptrdiff_t>(gone),
                  schedule.begin() + static_cast<std::ptrdiff_t>(count), schedule.begin());
        count -= gone;
    }
}

int64_t SamplePlayer::Length(const Laid& laid) const {
    return static_cast<int64_t>(bank.Samples(laid.sample).size());
}

void SamplePlayer::Render(int64_t from, std::span<int16_t> out, int32_t channels) const {
    const auto frames = static_cast<int64_t>(out.size()) / channels;
    // The sample sounding at a frame is the last one laid on or before it.
    std::size_t next = 0;
    while (next < count && schedule[next].frame <= from) {
        ++next;
    }
    // Silence throughout: nothing sounds at the start and nothing starts before the end.
    const bool silentAtStart =
        next == 0 ||
        schedule[next - 1].frame + std::max<int64_t>(Length(schedule[next - 1]), FadeFrames) <=
            from;
    if (silentAtStart && (next == count || schedule[next].frame >= from + frames)) {
        std::fill(out.begin(), out.end(), int16_t{0});
        return;
    }
    for (int64_t f = 0; f < frames; ++f) {
        const int64_t frame = from + f;
        while (next < count && schedule[next].frame <= frame) {
            ++next;
        }
        int32_t value = next > 0 ? Value(next - 1, frame) : 0;
        value = std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                    std::numeric_limits<int16_t>::max());
        std::fill_n(out.begin() + f * channels, channels, static_cast<int16_t>(value));
    }
}

// The sample at `index` at a frame on or after its start, with the one it cut off fading out.
int32_t SamplePlayer::Value(std::size_t index, int64_t frame) const {
    const Laid& voice = schedule[index];
    const int64_t into = frame - voice.frame;
    const std::span<const int16_t> samples = bank.Samples(voice.sample);
    int32_t value =
        into < static_cast<int64_t>(samples.size()) ? samples[static_cast<std::size_t>(into)] : 0;
    if (index > 0 && into < FadeFrames) {
        const Laid& cut = schedule[index - 1];
        const int64_t cutInto = frame - cut.frame;
        const std::span<const int16_t> cutSamples = bank.Samples(cut.sample);
        if (cutInto < static_cast<int64_t>(cutSamples.size())) {
            value += cutSamples[static_cast<std::size_t>(cutInto)] *
                     static_cast<int32_t>(FadeFrames - into) / FadeFrames;
        }
    }
    return value;
}
