#include "TerminationSignals.h"

#include <atomic>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Where the handler writes. A signal handler can reach nothing but static storage; only one
// object at a time owns it.
std::atomic<int> signalWriteEnd{-1};

} // namespace

TerminationSignals::Descriptor::~Descriptor() {
    if (fd >= 0) {
        ::close(fd);
    }
}

TerminationSignals::TerminationSignals(Handler handler)
    : onSignal(std::move(handler)) {
    int ends[2] = {-1, -1};
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) {
        return;
    }
    readEnd.fd = ends[0];
    writeEnd.fd = ends[1];
    int expected = -1;
    if (!signalWriteEnd.compare_exchange_strong(expected, writeEnd.fd)) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(Watched); ++i) {
        installed[i] = sigaction(Watched[i], &action, &previous[i]) == 0;
        if (!installed[i]) {
            Restore();
            return;
        }
    }
    notifier = std::make_unique<QSocketNotifier>(readEnd.fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { ReadPending(); });
}

TerminationSignals::~TerminationSignals() {
    notifier.reset();
    Restore();
}

void TerminationSignals::Restore() {
    for (std::size_t i = 0; i < std::size(Watched); ++i) {
        if (installed[i]) {
            sigaction(Watched[i], &previous[i], nullptr);
            installed[i] = false;
        }
    }
    int mine = writeEnd.fd;
    signalWriteEnd.compare_exchange_strong(mine, -1);
}

void TerminationSignals::OnSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = signalWriteEnd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        // A full socket already holds enough wake-ups; losing this one is harmless.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void TerminationSignals::ReadPending() {
    unsigned char received[64];
    for (;;) {
        const ssize_t count = ::read(readEnd.fd, received, sizeof received);
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            onSignal(received[i]);
        }
    }
}
