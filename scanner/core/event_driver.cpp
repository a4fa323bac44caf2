#include "scanner/core/event_driver.h"

#include <chrono>

namespace fenwary {

void ManualEventDriver::post(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    queued_.notify_all();
}

void ManualEventDriver::startTimer(int milliseconds, Task tick) {
    std::lock_guard lock(mutex_);
    timer_ = std::move(tick);
    interval_ = milliseconds;
}

void ManualEventDriver::stopTimer() {
    std::lock_guard lock(mutex_);
    timer_ = nullptr;
    interval_ = 0;
}

int ManualEventDriver::runPending() {
    int ran = 0;
    for (;;) {
        Task task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return ran;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        ++ran;
    }
}

bool ManualEventDriver::tick() {
    Task timer;
    {
        std::lock_guard lock(mutex_);
        timer = timer_;
    }
    if (!timer) return false;
    timer();
    runPending();
    return true;
}

bool ManualEventDriver::timerActive() const {
    std::lock_guard lock(mutex_);
    return static_cast<bool>(timer_);
}

int ManualEventDriver::timerInterval() const {
    std::lock_guard lock(mutex_);
    return interval_;
}

bool ManualEventDriver::waitForTask(int milliseconds) {
    std::unique_lock lock(mutex_);
    return queued_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                            [this] { return !tasks_.empty(); });
}

}  // namespace fenwary
