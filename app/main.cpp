// Pulsara as a small player: the default rhythm at 120 until Ctrl+C or a termination request.
#include "CMetronome.h"
#include "PortAudioSoundOutput.h"
#include "SteadyTickSource.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

namespace {

// Ctrl+C and SIGTERM are taken by a thread of their own, so that the loop ends cleanly and the
// audio stream is closed by its owner.
class StopRequest {
public:
    StopRequest() {
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        waiter = std::jthread([this] {
            int received = 0;
            sigwait(&signals, &received);
            requested = true;
        });
    }
    ~StopRequest() {
        if (!requested) {
            // Wake the waiting thread so that it can be joined.
            pthread_kill(waiter.native_handle(), SIGTERM);
        }
    }
    bool Requested() const { return requested; }

private:
    sigset_t signals{};
    std::atomic<bool> requested{false};
    std::jthread waiter;
};

} // namespace

int main() {
    StopRequest stop;
    SteadyTickSource ticks;
    PortAudioSoundOutput sound(ticks);
    if (!sound.IsOpen()) {
        std::fprintf(stderr, "pulsara: no audio output could be opened; playing silently\n");
    }
    CMetronome metron(ticks, sound);
    metron.Pause(false);
    metron.BPM(120);
    metron.Track().Rhithm("4 xxxx (xxxx xxxx xxxx xxxx)0");
    metron.Enable(true);
    std::printf("Pulsara plays \"%s\" at %d. Ctrl+C stops.\n", metron.Track().Rhithm().c_str(),
                metron.BPM());
    while (!stop.Requested()) {
        metron.Pulse();
        ticks.Sleep(1);
    }
    metron.Enable(false);
    return 0;
}
