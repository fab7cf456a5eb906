#pragma once

#include <QSocketNotifier>
#include <csignal>
#include <functional>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP into a call on the user-interface thread, so that a program
// asked to end by the system, the terminal or the end of the session closes its window the way
// the close box does. The handler itself only writes the signal's number into a socket pair; the
// read end is watched like any other descriptor of the window system. While an object lives the
// three signals no longer end the process at once; at its end their previous handling returns.
class TerminationSignals {
public:
    using Handler = std::function<void(int signalNumber)>;

    explicit TerminationSignals(Handler onSignal);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the socket pair or a handler could not be set up; the signals then act as before.
    bool Active() const { return notifier != nullptr; }

    static constexpr int Watched[] = {SIGTERM, SIGINT, SIGHUP};

private:
    struct Descriptor {
        int fd = -1;
        Descriptor() = default;
        explicit Descriptor(int value)
            : fd(value) {}
        ~Descriptor();
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;
    };

    static void OnSignal(int signalNumber);
    void ReadPending();
    void Restore();

    Handler onSignal;
    Descriptor readEnd;
    Descriptor writeEnd;
    struct sigaction previous[std::size(Watched)]{};
    bool installed[std::size(Watched)]{};
    std::unique_ptr<QSocketNotifier> notifier;
};
