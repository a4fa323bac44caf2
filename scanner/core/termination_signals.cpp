#include "scanner/core/termination_signals.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace fenwary {

namespace {

// How often the waiting thread looks whether it should stop.
constexpr int kStopCheckMilliseconds = 100;
constexpr std::array kSignals{SIGTERM, SIGHUP};

// The handler only writes the signal's number into a pipe (all it may
// safely do); the waiting thread reads it. One watcher per process.
int gPipe[2] = {-1, -1};
struct sigaction gPrevious[kSignals.size()];

void onSignal(int signal) {
    const unsigned char number = static_cast<unsigned char>(signal);
    const int saved = errno;
    [[maybe_unused]] const auto written = ::write(gPipe[1], &number, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no watcher: signals keep their default
    // A handler, not a blocked mask: programs started from here inherit a
    // mask but get default handlers back, so they stay killable.
    struct sigaction action {};
    action.sa_handler = fenwary::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], &action, &gPrevious[i]);
    }
    thread_ = std::thread([this] { wait(); });
}

TerminationSignals::~TerminationSignals() {
    if (!thread_.joinable()) return;
    stop_ = true;
    thread_.join();
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &gPrevious[i], nullptr);
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe[0] = gPipe[1] = -1;
}

void TerminationSignals::wait() {
    pollfd readable{gPipe[0], POLLIN, 0};
    while (!stop_) {
        if (::poll(&readable, 1, kStopCheckMilliseconds) <= 0) continue;
        unsigned char number = 0;
        while (::read(gPipe[0], &number, 1) == 1) {
            if (onSignal_) onSignal_(number);
        }
    }
}

}  // namespace fenwary
