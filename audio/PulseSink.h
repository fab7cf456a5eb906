#pragma once

#include "PcmSink.h"

#include <atomic>
#include <memory>
#include <pulse/def.h>
#include <pulse/mainloop-api.h>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// A playback stream on the desktop's sound server (PulseAudio, or PipeWire through its PulseAudio
// service) that runs for as long as it lives. Its frames are numbered by the stream's own write
// index, which the server moves on in real time even when the stream runs dry, so a frame's number
// always says when it is heard. A stretch written before is written again in place, beyond what
// the device has taken.
//
// When the server goes away or the stream loses its output, the source is told, and the sink
// connects again as soon as the server (or an output) is back: the new stream's frames go on from
// where the old one's would have stood, so everything laid ahead meanwhile still plays on its
// frame.
class PulseSink final : public PcmSink {
public:
    // The stream on the server's default sink with `bufferFrames` frames in flight, asked for
    // `requestFrames` at a time; null with the server's reason in `problem`.
    static std::unique_ptr<PulseSink> Open(int32_t bufferFrames, int32_t requestFrames,
                                           std::string& problem);
    PulseSink();
    ~PulseSink() override;
    PulseSink(const PulseSink&) = delete;
    PulseSink& operator=(const PulseSink&) = delete;

    void Start(PcmSource& source) override;
    void Wake() override;
    bool Failed() const override { return failed.load(); }
    int64_t Underruns() const override { return underruns.load(); }

private:
    bool Connect(std::string& problem);
    bool NewStream();
    void Deepen(bool quiet);
    void Break();
    void Retry();
    void Resume();
    int64_t PlayedByNow() const;
    int64_t NowNs() const;
    static void RetryDue(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    bool WaitUntilReady(std::string& problem);
    void Update();
    int64_t Played();
    bool WriteFrames(int64_t from, int64_t frames);
    static void StateChanged(pa_context* context, void* self);
    static void StreamStateChanged(pa_stream* stream, void* self);
    static void RanDry(pa_stream* stream, void* self);
    static void WriteRequested(pa_stream* stream, std::size_t bytes, void* self);
    static void WakeRequested(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                              void* self);

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_io_event* wakeEvent = nullptr;
    pa_time_event* retryEvent = nullptr;
    int wakeFd = -1;
    PcmSource* source = nullptr;
    // What the stream keeps in flight while it plays, and while nothing has sounded for a while.
    pa_buffer_attr playing{};
    pa_buffer_attr resting{};
    // Loop thread: the frames written so far; the frame since which nothing sounds; whether the
    // stream rests.
    int64_t written = 0;
    int64_t quietSince = 0;
    bool rests = false;
    // Loop thread: the frame number of the current stream's first frame; the last play position
    // reported and when; the way to the speaker is lost.
    int64_t base = 0;
    int64_t lastPlayed = 0;
    int64_t lastPlayedNs = 0;
    bool lost = false;
    std::atomic<bool> failed{false};
    std::atomic<int64_t> underruns{0};
};
