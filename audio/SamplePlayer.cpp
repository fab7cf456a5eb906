#include "SamplePlayer.h"

#include <algorithm>
#include <limits>

SamplePlayer::SamplePlayer(SampleBank bank)
    : bank(std::move(bank)) {}

bool SamplePlayer::PlaySample(std::string_view fileName, int64_t frame) {
    const int32_t sample = bank.Find(fileName);
    return sample >= 0 && requests.Push({sample, frame});
}

bool SamplePlayer::Quiet() const {
    return requests.Empty() && pendingCount == 0 && !voice.Sounding() && fading.fadeLeft == 0;
}

void SamplePlayer::Render(std::span<int16_t> out, int32_t channels) {
    const auto frames = static_cast<int64_t>(out.size()) / channels;
    const int64_t start = nextFrame.load(std::memory_order_relaxed);
    TakeRequests(start);
    int64_t pos = 0;
    for (int i = NextDue(start + frames); i >= 0; i = NextDue(start + frames)) {
        const Pending due = pending[static_cast<std::size_t>(i)];
        pending[static_cast<std::size_t>(i)] = pending[--pendingCount];
        const int64_t at = std::max(due.frame - start, pos);
        if (due.frame - start < at) {
            lateStarts.fetch_add(1, std::memory_order_relaxed);
        }
        Mix(out, channels, pos, at);
        Start(due.sample);
        pos = at;
    }
    Mix(out, channels, pos, frames);
    nextFrame.store(start + frames, std::memory_order_release);
}

void SamplePlayer::TakeRequests(int64_t bufferStart) {
    while (const auto request = requests.Pop()) {
        if (pendingCount == pending.size()) {
            continue;
        }
        const bool farAhead = request->frame - bufferStart > MaxAheadFrames;
        pending[pendingCount++] = {request->sample, farAhead ? bufferStart : request->frame,
                                   nextOrder++};
    }
}

int SamplePlayer::NextDue(int64_t bufferEnd) const {
    int best = -1;
    for (std::size_t i = 0; i < pendingCount; ++i) {
        const Pending& p = pending[i];
        if (p.frame >= bufferEnd) {
            continue;
        }
        // Frame order; of two requests for the same frame the later one wins by starting last.
        const Pending* b = best < 0 ? nullptr : &pending[static_cast<std::size_t>(best)];
        if (b == nullptr || p.frame < b->frame || (p.frame == b->frame && p.order < b->order)) {
            best = static_cast<int>(i);
        }
    }
    return best;
}

void SamplePlayer::Start(int32_t sample) {
    if (voice.Sounding()) {
        fading = voice;
        fading.fadeLeft = FadeFrames;
    }
    voice = {bank.Words(sample), 0, 0};
}

void SamplePlayer::Mix(std::span<int16_t> out, int32_t channels, int64_t from, int64_t to) {
    for (int64_t f = from; f < to; ++f) {
        int32_t value = 0;
        if (voice.Sounding()) {
            value += voice.words[voice.pos++];
        }
        if (fading.fadeLeft > 0) {
            if (fading.Sounding()) {
                value += fading.words[fading.pos++] * fading.fadeLeft / FadeFrames;
            }
            --fading.fadeLeft;
        }
        value = std::clamp<int32_t>(value, std::numeric_limits<int16_t>::min(),
                                    std::numeric_limits<int16_t>::max());
        for (int32_t c = 0; c < channels; ++c) {
            out[static_cast<std::size_t>(f * channels + c)] = static_cast<int16_t>(value);
        }
    }
}
