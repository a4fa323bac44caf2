#include "reader/core/read_gate.h"

namespace tarrow {

void ReadGate::enterShared() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !exclusive_ && exclusiveWaiting_ == 0; });
    ++shared_;
}

void ReadGate::leaveShared() {
    {
        const std::lock_guard lock(mutex_);
        --shared_;
    }
    changed_.notify_all();
}

void ReadGate::enterExclusive() {
    std::unique_lock lock(mutex_);
    ++exclusiveWaiting_;
    changed_.wait(lock, [&] { return !exclusive_ && shared_ == 0; });
    --exclusiveWaiting_;
    exclusive_ = true;
}

void ReadGate::leaveExclusive() {
    {
        const std::lock_guard lock(mutex_);
        exclusive_ = false;
    }
    changed_.notify_all();
}

}  // namespace tarrow
