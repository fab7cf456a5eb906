#include "PulseSink.h"

#include "SampleFile.h"

#include <pulse/error.h>
#include <pulse/pulseaudio.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr double FramesPerUs = SampleFile::FramesPerSecond / 1e6;
constexpr std::size_t BytesPerFrame = 2;

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
    if (stream != nullptr) {
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
    if (context != nullptr) {
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
    if (!sink->Connect(bufferFrames, requestFrames, problem)) {
        return nullptr;
    }
    return sink;
}

bool PulseSink::Connect(int32_t bufferFrames, int32_t requestFrames, std::string& problem) {
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
    bool ready = WaitUntilReady(problem);
    if (ready) {
        const pa_sample_spec spec{PA_SAMPLE_S16LE,
                                  static_cast<uint32_t>(SampleFile::FramesPerSecond), 1};
        const auto bytes = [](int32_t frames) {
            return static_cast<uint32_t>(frames) * static_cast<uint32_t>(BytesPerFrame);
        };
        // The server keeps no more than the buffer in flight, and starts playing a stream that
        // slept once it holds a whole buffer, which the first request after waking fills at once:
        // from its first frame on the stream is as far ahead as it will ever be.
        const pa_buffer_attr attributes{static_cast<uint32_t>(-1), bytes(bufferFrames),
                                        bytes(bufferFrames), bytes(requestFrames),
                                        static_cast<uint32_t>(-1)};
        stream = pa_stream_new(context, "Beat", &spec, nullptr);
        pa_stream_set_state_callback(stream, &StreamStateChanged, this);
        const auto flags =
            static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                           PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
        ready = pa_stream_connect_playback(stream, nullptr, &attributes, flags, nullptr, nullptr) ==
                    0 &&
                WaitUntilReady(problem);
    }
    if (ready) {
        wakeEvent = api->io_new(api, wakeFd, PA_IO_EVENT_INPUT, &WakeRequested, this);
    }
    pa_threaded_mainloop_unlock(loop);
    return ready;
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
    pa_threaded_mainloop_unlock(loop);
}

void PulseSink::Wake() {
    const uint64_t one = 1;
    // A full counter already holds a wake-up that has not been taken; nothing is lost.
    (void)write(wakeFd, &one, sizeof one);
}

void PulseSink::StateChanged(pa_context* c, void* self) {
    auto& sink = *static_cast<PulseSink*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c))) {
        sink.failed = true;
    }
    pa_threaded_mainloop_signal(sink.loop, 0);
}

void PulseSink::StreamStateChanged(pa_stream* s, void* self) {
    auto& sink = *static_cast<PulseSink*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
        sink.failed = true;
    }
    pa_threaded_mainloop_signal(sink.loop, 0);
}

void PulseSink::RanDry(pa_stream*, void* self) {
    ++static_cast<PulseSink*>(self)->underruns;
}

void PulseSink::WriteRequested(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PulseSink*>(self)->Write(bytes);
}

void PulseSink::Write(std::size_t bytes) {
    if (asleep) {
        return;
    }
    pa_usec_t latency = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &latency, &negative) == 0) {
        // A stream that ran dry reports its latency below zero; nothing not yet written is heard.
        const auto frames = static_cast<int64_t>(static_cast<double>(latency) * FramesPerUs);
        source->Heard(negative ? written : written - frames);
    }
    while (bytes >= BytesPerFrame) {
        void* data = nullptr;
        std::size_t granted = bytes;
        if (pa_stream_begin_write(stream, &data, &granted) < 0 || data == nullptr) {
            return;
        }
        const std::size_t frames = granted / BytesPerFrame;
        const bool goOn = source->Fill(std::span(static_cast<int16_t*>(data), frames), 1);
        pa_stream_write(stream, data, frames * BytesPerFrame, nullptr, 0, PA_SEEK_RELATIVE);
        written += static_cast<int64_t>(frames);
        bytes -= frames * BytesPerFrame;
        if (!goOn) {
            asleep = true;
            LetGo(pa_stream_cork(stream, 1, nullptr, nullptr));
            return;
        }
    }
}

void PulseSink::WakeRequested(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                              void* self) {
    uint64_t count = 0;
    // Only the wake-up matters, not how many were asked for.
    (void)read(fd, &count, sizeof count);
    static_cast<PulseSink*>(self)->Resume();
}

// What the stream still held is silence after the last sound: dropped, so that the next frame
// written is heard at once. The server asks for nothing it was promised before the stream slept,
// so the room there is now is filled at once.
void PulseSink::Resume() {
    asleep = false;
    LetGo(pa_stream_flush(stream, nullptr, nullptr));
    LetGo(pa_stream_cork(stream, 0, nullptr, nullptr));
    const std::size_t room = pa_stream_writable_size(stream);
    if (room != static_cast<std::size_t>(-1) && room > 0) {
        Write(room);
    }
}
