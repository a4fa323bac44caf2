// The owner thread's event loop as the scanner backends see it: a way to
// run a task there soon (from any thread) and a repeating timer. The
// program uses the Qt event loop (QtEventDriver); tests use a queue they
// drain themselves (ManualEventDriver), so every step is deterministic.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace fenwary {

class EventDriver {
public:
    using Task = std::function<void()>;
    virtual ~EventDriver() = default;

    /// Runs `task` on the owner thread after the current event. Safe to
    /// call from any thread.
    virtual void post(Task task) = 0;

    /// Calls `tick` on the owner thread every `milliseconds` until
    /// stopTimer(); one timer at a time, a new start replaces the old one.
    virtual void startTimer(int milliseconds, Task tick) = 0;
    virtual void stopTimer() = 0;
};

/// Tasks wait in a queue until runPending(); the timer ticks only through
/// tick(). For tests and command-line use.
class ManualEventDriver final : public EventDriver {
public:
    void post(Task task) override;
    void startTimer(int milliseconds, Task tick) override;
    void stopTimer() override;

    /// Runs the queued tasks, including the ones they post; returns how
    /// many ran.
    int runPending();
    /// Runs one timer tick (when a timer is on) and then the queued tasks.
    /// False when no timer is on.
    bool tick();
    bool timerActive() const;
    int timerInterval() const;
    /// Waits (up to `milliseconds`) until a task is queued from another
    /// thread; true when one is.
    bool waitForTask(int milliseconds);

private:
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Task> tasks_;
    Task timer_;
    int interval_ = 0;
};

}  // namespace fenwary
