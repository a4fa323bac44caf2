// Ending the program by SIGTERM or SIGHUP (what a logout sends) the same way
// as its exit button: a handler passes the signal through a pipe to a
// thread of its own, which hands it to the program as an ordinary call, so
// the page being saved is finished, the settings are stored and the program
// quits cleanly instead of dying mid-write.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace fenwary {

class TerminationSignals {
public:
    /// Takes SIGTERM and SIGHUP over (one object per process) and waits for
    /// them; `onSignal` runs on the waiting thread with the signal's number,
    /// once per signal received.
    explicit TerminationSignals(std::function<void(int signal)> onSignal);
    /// Stops waiting and gives the signals their former handling back.
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
