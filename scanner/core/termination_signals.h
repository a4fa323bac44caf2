// Ending the program by SIGTERM or SIGHUP (what a logout sends) the same way
// as its exit button: the signal is taken by sigwait on a thread of its own
// and handed to the program as an ordinary call, so the page being saved is
// finished, the settings are stored and the program quits cleanly instead
// of dying mid-write.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace fenwary {

class TerminationSignals {
public:
    /// Blocks SIGTERM and SIGHUP in the calling thread (create this before
    /// any other thread starts, so every thread inherits the mask) and waits
    /// for them; `onSignal` runs on the waiting thread with the signal's
    /// number, once per signal received.
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    /// Stops waiting (the signals stay blocked).
    ~TerminationSignals();

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void wait();

    std::function<void(int)> onSignal_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace fenwary
