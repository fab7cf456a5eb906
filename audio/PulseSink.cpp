#include "PulseSink.h"

#include "SampleFile.h"

#include <algorithm>
#include <chrono>
#include <pulse/error.h>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr double FramesPerUs = SampleFile::FramesPerSecond / 1e6;
constexpr std::size_t BytesPerFrame = 2;

uint32_t Bytes(int32_t frames) {
    return static_cast<uint32_t>(frames) * static_cast<uint32_t>(BytesPerFrame);
}

// The server gives the device a latency of what is in flight less two requests. The buffer
// attributes for `inFlight` frames that keep that latency at `deviceFrames`.
pa_buffer_attr Attributes(int32_t inFlight, int32_t deviceFrames) {
    return {static_cast<uint32_t>(-1), Bytes(inFlight), 0, Bytes((inFlight - deviceFrames) / 2),
            static_cast<uint32_t>(-1)};
}

// A stream with nothing to play for this long rests: it keeps ten times as much in flight and
// wakes ten times as seldom (2 s).
constexpr int64_t RestAfterFrames = 2 * SampleFile::FramesPerSecond;

// The program waits for none of its requests to the server: it only lets go of each.
void LetGo(pa_operation* operation) {
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

} // namespace

PulseSink::PulseSink() = default;

PulseSink::~PulseSink() {
    if (loop != nullptr) {
        pa_threaded_mainloop_stop(loop);
    }
    if (wakeEvent != nullptr) {
        pa_threaded_mainloop_get_api(loop)->io_free(wakeEvent);
    }
    if (retryEvent != nullptr) {
        pa_threaded_mainloop_get_api(loop)->time_free(retryEvent);
    }
    // Nothing is reported or tried again from here on.
    source = nullptr;
    if (stream != nullptr) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context != nullptr) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    if (loop != nullptr) {
        pa_threaded_mainloop_free(loop);
    }
    if (wakeFd >= 0) {
        close(wakeFd);
    }
}

std::unique_ptr<PulseSink> PulseSink::Open(int32_t bufferFrames, int32_t requestFrames,
                                           std::string& problem) {
    auto sink = std::make_unique<PulseSink>();
    const int32_t deviceFrames = bufferFrames - 2 * requestFrames;
    sink->playing = Attributes(bufferFrames, deviceFrames);
    sink->resting = Attributes(10 * bufferFrames, deviceFrames);
    if (!sink->Connect(problem)) {
        return nullptr;
    }
    return sink;
}

bool PulseSink::Connect(std::string& problem) {
    wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    loop = pa_threaded_mainloop_new();
    if (wakeFd < 0 || loop == nullptr) {
        problem = "the sound server's client could not start";
        return false;
    }
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop);
    context = pa_context_new(api, "Pulsara");
    pa_context_set_state_callback(context, &StateChanged, this);
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop) < 0) {
        problem = std::string("the sound server could not be reached: ") +
                  pa_strerror(pa_context_errno(context));
        return false;
    }
    pa_threaded_mainloop_lock(loop);
    bool ready = WaitUntilReady(problem) && NewStream() && WaitUntilReady(problem);
    if (ready) {
        wakeEvent = api->io_new(api, wakeFd, PA_IO_EVENT_INPUT, &WakeRequested, this);
        retryEvent = api->time_new(api, nullptr, &RetryDue, this);
    }
    pa_threaded_mainloop_unlock(loop);
    return ready;
}

// With the loop locked: a stream on the context's default sink. No prebuffering: the stream plays
// from its first frame on and keeps running when it runs dry, so that its write index stays a
// clock of real time.
bool PulseSink::NewStream() {
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(SampleFile::FramesPerSecond),
                              1};
    stream = pa_stream_new(context, "Beat", &spec, nullptr);
    if (stream == nullptr) {
        return false;
    }
    pa_stream_set_state_callback(stream, &StreamStateChanged, this);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    rests = false;
    return pa_stream_connect_playback(stream, nullptr, &playing, flags, nullptr, nullptr) == 0;
}

// With the loop locked: waits until the context (and the stream, once there is one) is ready or
// has failed.
bool PulseSink::WaitUntilReady(std::string& problem) {
    for (;;) {
        const pa_context_state_t c = pa_context_get_state(context);
        const pa_stream_state_t s = stream ? pa_stream_get_state(stream) : PA_STREAM_READY;
        if (!PA_CONTEXT_IS_GOOD(c) || s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED) {
            problem = std::string("the sound server could not be reached: ") +
                      pa_strerror(pa_context_errno(context));
            return false;
        }
        if (c == PA_CONTEXT_READY && s == PA_STREAM_READY) {
            return true;
        }
        pa_threaded_mainloop_wait(loop);
    }
}

void PulseSink::Start(PcmSource& pulled) {
    pa_threaded_mainloop_lock(loop);
    source = &pulled;
    pa_stream_set_write_callback(stream, &WriteRequested, this);
    pa_stream_set_underflow_callback(stream, &RanDry, this);
    Update();
    pa_threaded_mainloop_unlock(loop);
}

void PulseSink::Wake() {
    const uint64_t one = 1;
    // A full counter already holds a wake-up that has not been taken; nothing is lost.
    (void)write(wakeFd, &one, sizeof one);
}

void PulseSink::StateChanged(pa_context* c, void* self) {
    auto& sink = *static_cast<PulseSink*>(self);
    const pa_context_state_t state = pa_context_get_state(c);
    if (sink.source == nullptr) {
        // Still opening: the opener waits for the outcome.
        sink.failed = !PA_CONTEXT_IS_GOOD(state);
        pa_threaded_mainloop_signal(sink.loop, 0);
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        sink.Break();
    } else if (state == PA_CONTEXT_READY && sink.stream == nullptr) {
        sink.Retry();
    }
}

void PulseSink::StreamStateChanged(pa_stream* s, void* self) {
    auto& sink = *static_cast<PulseSink*>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (sink.source == nullptr) {
        sink.failed = !PA_STREAM_IS_GOOD(state);
        pa_threaded_mainloop_signal(sink.loop, 0);
    } else if (!PA_STREAM_IS_GOOD(state)) {
        sink.Break();
    } else if (state == PA_STREAM_READY && sink.lost) {
        sink.Resume();
    }
}

// The way to the speaker broke off: the beat goes on without it, and the sink tries again at once
// and then every second.
void PulseSink::Break() {
    if (lost) {
        // A new connection that failed: the next try comes with the timer.
        return;
    }
    lost = true;
    source->Lost(true);
    struct timeval soon {};
    pa_gettimeofday(&soon);
    pa_threaded_mainloop_get_api(loop)->time_restart(retryEvent, &soon);
}

void PulseSink::RetryDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    static_cast<PulseSink*>(self)->Retry();
}

// Loop thread, while lost: what is laid meanwhile is taken as if the stream played, and a new
// stream (on a new connection, if the server went away) is asked for.
void PulseSink::Retry() {
    if (!lost) {
        return;
    }
    // Only the schedule's moving on matters here; nothing is written.
    (void)source->TakeChanges(PlayedByNow() + FixedFrames);
    if (stream != nullptr && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        stream = nullptr;
    }
    if (context != nullptr && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_unref(context);
        context = nullptr;
    }
    if (context == nullptr) {
        context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Pulsara");
        pa_context_set_state_callback(context, &StateChanged, this);
        // A server that is not back yet fails the connection; the timer tries again.
        (void)pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    } else if (stream == nullptr && pa_context_get_state(context) == PA_CONTEXT_READY) {
        (void)NewStream();
    }
    struct timeval later {};
    pa_gettimeofday(&later);
    pa_timeval_add(&later, 1000000);
    pa_threaded_mainloop_get_api(loop)->time_restart(retryEvent, &later);
}

// A new stream is ready: its frames go on from where the old stream's would stand now.
void PulseSink::Resume() {
    base = PlayedByNow();
    written = base;
    quietSince = base;
    lost = false;
    pa_threaded_mainloop_get_api(loop)->time_restart(retryEvent, nullptr);
    pa_stream_set_write_callback(stream, &WriteRequested, this);
    pa_stream_set_underflow_callback(stream, &RanDry, this);
    source->Lost(false);
    Update();
}

int64_t PulseSink::PlayedByNow() const {
    const double elapsed = static_cast<double>(NowNs() - lastPlayedNs) * FramesPerUs / 1000.0;
    return lastPlayed + static_cast<int64_t>(elapsed);
}

int64_t PulseSink::NowNs() const {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PulseSink::RanDry(pa_stream*, void* self) {
    ++static_cast<PulseSink*>(self)->underruns;
}

void PulseSink::WriteRequested(pa_stream*, std::size_t, void* self) {
    static_cast<PulseSink*>(self)->Update();
}

void PulseSink::WakeRequested(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                              void* self) {
    uint64_t count = 0;
    // Only the wake-up matters, not how many were asked for.
    (void)read(fd, &count, sizeof count);
    static_cast<PulseSink*>(self)->Update();
}

// Loop thread: reports the play position, writes again what changed, and fills the room there is.
void PulseSink::Update() {
    if (source == nullptr || lost) {
        return;
    }
    const int64_t played = Played();
    lastPlayed = played;
    lastPlayedNs = NowNs();
    source->Heard(played);
    const int64_t fixedBefore = played + FixedFrames;
    const int64_t taken = source->TakeChanges(fixedBefore);
    const int64_t changed = std::max(taken, fixedBefore);
    if (changed < written && !WriteFrames(changed, written - changed)) {
        return;
    }
    if (taken < written || !source->Quiet()) {
        quietSince = played;
    }
    Deepen(played - quietSince > RestAfterFrames);
    const std::size_t room = pa_stream_writable_size(stream);
    if (room != static_cast<std::size_t>(-1) && room >= BytesPerFrame) {
        WriteFrames(written, static_cast<int64_t>(room / BytesPerFrame));
    }
}

// A stream that rests costs a wake-up a second; one that plays a few a second, and what it has
// written ahead is written again wherever a sample is laid into it.
void PulseSink::Deepen(bool quiet) {
    if (quiet == rests) {
        return;
    }
    rests = quiet;
    LetGo(pa_stream_set_buffer_attr(stream, rests ? &resting : &playing, nullptr, nullptr));
}

// The frame being played: what was written, less what is still on its way. A stream that ran
// dry reports its latency below zero: the server's read index has passed what was written.
int64_t PulseSink::Played() {
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &latency, &negative) != 0) {
        return written;
    }
    const auto frames = static_cast<int64_t>(static_cast<double>(latency) * FramesPerUs);
    return negative ? written + frames : written - frames;
}

// Writes the frames from `from` on at their own place in the stream, in as many pieces as the
// server's buffers take.
bool PulseSink::WriteFrames(int64_t from, int64_t frames) {
    bool first = true;
    while (frames > 0) {
        void* data = nullptr;
        std::size_t granted = static_cast<std::size_t>(frames) * BytesPerFrame;
        if (pa_stream_begin_write(stream, &data, &granted) < 0 || data == nullptr) {
            return false;
        }
        const int64_t piece = std::min<int64_t>(frames, granted / BytesPerFrame);
        source->Render(from, std::span(static_cast<int16_t*>(data), piece), 1);
        const int64_t offset = first ? (from - base) * static_cast<int64_t>(BytesPerFrame) : 0;
        const pa_seek_mode_t seek = first ? PA_SEEK_ABSOLUTE : PA_SEEK_RELATIVE;
        if (pa_stream_write(stream, data, piece * BytesPerFrame, nullptr, offset, seek) < 0) {
            return false;
        }
        first = false;
        from += piece;
        frames -= piece;
        written = std::max(written, from);
    }
    return true;
}
