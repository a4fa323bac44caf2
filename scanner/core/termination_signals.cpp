#include "scanner/core/termination_signals.h"

#include <pthread.h>
#include <signal.h>

#include <ctime>

namespace fenwary {

namespace {

// How often the waiting thread looks whether it should stop.
constexpr long kStopCheckNanoseconds = 100'000'000;

sigset_t terminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int signal)> onSignal)
    : onSignal_(std::move(onSignal)) {
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    thread_ = std::thread([this] { wait(); });
}

TerminationSignals::~TerminationSignals() {
    stop_ = true;
    thread_.join();
}

void TerminationSignals::wait() {
    const sigset_t set = terminationSet();
    const timespec interval{0, kStopCheckNanoseconds};
    while (!stop_) {
        const int signal = sigtimedwait(&set, nullptr, &interval);
        if (signal > 0 && onSignal_) onSignal_(signal);
    }
}

}  // namespace fenwary
